#include "board/basFontListGet.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <algorithm>

namespace board {

namespace {

// For every family name that fontconfig knows from an outline font file, the foundries (case-folded, as
// Qt compares them) that made such a file. A foundry whose files of a family are all of other formats
// (Type 1, bitmaps) is not among them, even when another foundry's outline file shares the family.
QHash<QString, QSet<QString>> outlineFoundries() {
    QHash<QString, QSet<QString>> foundries;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FOUNDRY, FC_FONTFORMAT, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (!fonts)
        return foundries;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* format = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) != FcResultMatch)
            continue;
        const QByteArray formatName(reinterpret_cast<const char*>(format));
        if (formatName != "TrueType" && formatName != "CFF")
            continue;
        FcChar8* foundry = nullptr;
        const QString foundryName = FcPatternGetString(fonts->fonts[i], FC_FOUNDRY, 0, &foundry) == FcResultMatch
                                        ? QString::fromLatin1(reinterpret_cast<const char*>(foundry)).toCaseFolded()
                                        : QString();
        FcChar8* family = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
            foundries[QString::fromUtf8(reinterpret_cast<const char*>(family))].insert(foundryName);
    }
    FcFontSetDestroy(fonts);
    return foundries;
}

// A name of the font database: "Family", or "Family [Foundry]" for each foundry of a family that several
// foundries make (a foundry without a name keeps the plain "Family"). A name fontconfig knows whole is
// plain, brackets and all.
struct DatabaseName {
    QString family;
    QString foundry; // case-folded
    bool namesFoundry = false;
};

DatabaseName databaseName(const QString& name, const QHash<QString, QSet<QString>>& outline) {
    const qsizetype bracket = name.lastIndexOf(QLatin1String(" ["));
    if (bracket < 0 || !name.endsWith(u']') || outline.contains(name))
        return {name, QString(), false};
    return {name.left(bracket), name.mid(bracket + 2, name.size() - bracket - 3).toCaseFolded(), true};
}

} // namespace

void GetFontList(QStringList& list) {
    list.clear();
    const QHash<QString, QSet<QString>> outline = outlineFoundries();
    const QStringList names = QFontDatabase::families();
    QList<DatabaseName> parsed;
    QHash<QString, QSet<QString>> namedFoundries; // the foundries that the names of each family carry
    for (const QString& name : names) {
        parsed.append(databaseName(name, outline));
        if (parsed.last().namesFoundry)
            namedFoundries[parsed.last().family].insert(parsed.last().foundry);
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        const DatabaseName& name = parsed.at(i);
        const QSet<QString> made = outline.value(name.family);
        // A plain name stands for the family's only foundry, or for the one without a name beside others.
        const QSet<QString> others = namedFoundries.value(name.family);
        const bool listed = name.namesFoundry ? made.contains(name.foundry)
                                              : std::any_of(made.begin(), made.end(),
                                                            [&](const QString& f) { return !others.contains(f); });
        if (listed)
            list.append(names.at(i));
    }
}

} // namespace board
