#include "board/fontface.h"

#include "board/DrawBoard.h"
#include "board/basFontListGet.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "platform/surface.h"

#include <QFontInfo>
#include <QStringList>

#include <cmath>

#include <fontconfig/fontconfig.h>

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

std::optional<QString> fontFamilyFor(const QString& name) {
    QStringList listed;
    GetFontList(listed);
    const auto listedAs = [&listed](const QString& wanted) -> std::optional<QString> {
        for (const QString& family : listed) {
            const QString withoutFoundry = family.left(family.indexOf(QLatin1String(" [")));
            if (wanted.compare(family, Qt::CaseInsensitive) == 0 ||
                wanted.compare(withoutFoundry, Qt::CaseInsensitive) == 0)
                return family;
        }
        return std::nullopt;
    };
    for (const QString& wanted : QStringList{name} + QFont::substitutes(name))
        if (listedAs(wanted))
            return name;

    // Every family name of the fonts that have name among theirs.
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.toUtf8().constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::optional<QString> found;
    for (int i = 0; fonts && !found && i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        for (int n = 0; !found && FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
            found = listedAs(QString::fromUtf8(reinterpret_cast<const char*>(family)));
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    return found;
}

QString reportedFontName(const QFont& font) {
    return QFontInfo(platform::drawnFont(font)).family();
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
