#include "board/fontface.h"

#include "board/DrawBoard.h"
#include "platform/errors.h"
#include "platform/numbers.h"

#include <QFontInfo>
#include <QStringList>

#include <cmath>

namespace board {

namespace {
// The largest size in points a font may be given; larger sizes are refused like any invalid value.
constexpr float MaxFontPoints = 2048.0f;
} // namespace

void registerJapaneseFaceSubstitutions() {
    // The closest installed equivalents of each kind of Windows face, best first.
    const char* const proportionalGothic[] = {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "IPAGothic"};
    const char* const gothic[] = {"IPAGothic", "Noto Sans Mono CJK JP", "IPAPGothic"};
    const char* const proportionalMincho[] = {"IPAPMincho", "IPAexMincho", "Noto Serif CJK JP", "IPAMincho"};
    const char* const mincho[] = {"IPAMincho", "IPAPMincho"};
    const auto families = [](const auto& names) {
        QStringList list;
        for (const char* name : names)
            list << QString::fromUtf8(name);
        return list;
    };
    // Each Windows face under its Japanese and its English name (UTF-8), the default face first.
    const struct {
        const char* japaneseName;
        const char* englishName;
        QStringList substitutes;
    } substitutions[] = {
        {"ＭＳ Ｐゴシック", "MS PGothic", families(proportionalGothic)},
        {"ＭＳ ゴシック", "MS Gothic", families(gothic)},
        {"ＭＳ ＵＩ Gothic", "MS UI Gothic", families(proportionalGothic)},
        {"メイリオ", "Meiryo", families(proportionalGothic)},
        {"ＭＳ Ｐ明朝", "MS PMincho", families(proportionalMincho)},
        {"ＭＳ 明朝", "MS Mincho", families(mincho)},
    };
    for (const auto& substitution : substitutions) {
        QFont::insertSubstitutions(QString::fromUtf8(substitution.japaneseName), substitution.substitutes);
        QFont::insertSubstitutions(QString::fromUtf8(substitution.englishName), substitution.substitutes);
    }
}

QString reportedFontName(const QFont& font) {
    return QFontInfo(font).family();
}

float reportedFontSize(const QFont& font) {
    return float(font.pointSizeF());
}

void applyFont(BoardState& state, const QString& faceName, const QString& sizeText, bool italic, bool bold) {
    using platform::skipOnError;
    platform::Surface& mask = state.TempPic;
    const auto changeMaskFont = [&mask](const auto& change) {
        QFont font = mask.font();
        change(font);
        mask.setFont(font);
    };

    skipOnError([&] {
        if (faceName.isEmpty())
            platform::raiseError(platform::ErrTypeMismatch);
        changeMaskFont([&](QFont& font) { font.setFamily(faceName); });
    });
    skipOnError([&] {
        const float points = platform::parseSingle(sizeText);
        if (!(points > 0.0f && points <= MaxFontPoints))
            platform::raiseError(platform::ErrOverflow);
        changeMaskFont([&](QFont& font) { font.setPointSizeF(points); });
    });
    changeMaskFont([&](QFont& font) { font.setItalic(italic); });
    changeMaskFont([&](QFont& font) { font.setBold(bold); });

    QFont measuring = state.SizeMongon.font();
    measuring.setFamily(reportedFontName(mask.font()));
    measuring.setPointSizeF(reportedFontSize(mask.font()));
    measuring.setItalic(mask.font().italic());
    measuring.setBold(mask.font().bold());
    state.SizeMongon.setFont(measuring);
}

} // namespace board
