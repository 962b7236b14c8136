#pragma once

#include <QFont>
#include <QString>

#include <optional>

namespace board {

struct BoardState;

// Registers the common Japanese Windows face names (the default "ＭＳ Ｐゴシック" first) as
// substitutions for their closest installed equivalents, so a settings file made on Windows, or the
// default face, draws a real Japanese Gothic or Mincho.
void registerJapaneseFaceSubstitutions();

// The family to give a font for a face named name: name itself when the font list holds it (in any case,
// with or without its foundry) or a Windows face substitution stands in for it; the listed family when name
// is another of that face's names, as fontconfig knows it ("IPAゴシック" for IPAGothic); nothing when no
// listed face has that name.
std::optional<QString> fontFamilyFor(const QString& name);

// What a surface reports as its font: the family it really draws with, and its size in points.
QString reportedFontName(const QFont& font);
float reportedFontSize(const QFont& font);

// Gives the mask surface the named face, the size (text in points), italic and bold, each step on
// its own: a face name that is empty or a size that is not a usable number leaves that property as it
// was. The measuring label then copies what the mask surface reports, so both always carry the same
// effective font.
void applyFont(BoardState& state, const QString& faceName, const QString& sizeText, bool italic, bool bold);

} // namespace board
