#pragma once

#include <QFont>
#include <QString>

namespace board {

struct BoardState;

// Registers the common Japanese Windows face names (the default "ＭＳ Ｐゴシック" first) as
// substitutions for their closest installed equivalents, so a settings file made on Windows, or the
// default face, draws a real Japanese Gothic or Mincho.
void registerJapaneseFaceSubstitutions();

// What a surface reports as its font: the family it really draws with, and its size in points.
QString reportedFontName(const QFont& font);
float reportedFontSize(const QFont& font);

// Gives the mask surface the named face, the size (text in points), italic and bold, each step on
// its own: a face name that is empty or a size that is not a usable number leaves that property as it
// was. The measuring label then copies what the mask surface reports, so both always carry the same
// effective font.
void applyFont(BoardState& state, const QString& faceName, const QString& sizeText, bool italic, bool bold);

} // namespace board
