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
    const QStringList proportionalGothic = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")};
    const QStringList gothic = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("IPAPGothic")};
    const QStringList proportionalMincho = {QStringLiteral("IPAPMincho"), QStringLiteral("IPAexMincho"),
                                            QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAMincho")};
    const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("IPAPMincho")};

    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ＵＩ Gothic"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("メイリオ"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("Meiryo"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), proportionalMincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), proportionalMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
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
