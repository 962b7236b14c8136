#include "board/basFontListGet.h"

#include <QFontDatabase>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace board {

namespace {

// Every family name that fontconfig knows from an outline font file.
QSet<QString> outlineFamilies() {
    QSet<QString> families;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (!fonts)
        return families;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* format = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format) != FcResultMatch)
            continue;
        const QByteArray formatName(reinterpret_cast<const char*>(format));
        if (formatName != "TrueType" && formatName != "CFF")
            continue;
        FcChar8* family = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
            families.insert(QString::fromUtf8(reinterpret_cast<const char*>(family)));
    }
    FcFontSetDestroy(fonts);
    return families;
}

// Qt names a family that several foundries make "Family [Foundry]".
QString familyWithoutFoundry(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

} // namespace

void GetFontList(QStringList& list) {
    list.clear();
    const QSet<QString> outline = outlineFamilies();
    for (const QString& family : QFontDatabase::families()) {
        if (outline.contains(familyWithoutFoundry(family)))
            list.append(family);
    }
}

} // namespace board
