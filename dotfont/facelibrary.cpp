#include "dotfont/facelibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <set>

namespace dotfont {

namespace {

bool isBitmapFontFileName(const QString& name) {
    static const char* const endings[] = {".pcf", ".pcf.gz", ".bdf", ".bdf.gz"};
    return std::any_of(std::begin(endings), std::end(endings),
                       [&](const char* ending) { return name.endsWith(QLatin1String(ending), Qt::CaseInsensitive); });
}

bool isTwoByteSet(const FontInfo& info) {
    const QString registry = info.charsetRegistry.toUpper();
    return registry.startsWith(QLatin1String("JISX0208")) || registry.startsWith(QLatin1String("GB2312")) ||
           registry.startsWith(QLatin1String("KSC5601"));
}

// Which of a face's files at one height is asked first for a character: Unicode, then Latin-1, then
// the half-width JIS X 0201 set, then the two-byte sets (kanji), then the rest.
int charsetRank(const FontInfo& info) {
    const QString registry = info.charsetRegistry.toUpper();
    if (registry.startsWith(QLatin1String("ISO10646")))
        return 0;
    if (registry == QLatin1String("ISO8859") && info.charsetEncoding == QLatin1String("1"))
        return 1;
    if (registry.startsWith(QLatin1String("JISX0201")))
        return 2;
    if (isTwoByteSet(info))
        return 3;
    return 4;
}

QString faceName(const FontInfo& info, const QString& path) {
    QString name = QStringList{info.foundry.trimmed(), info.family.trimmed()}.join(QLatin1Char(' ')).trimmed();
    if (name.isEmpty())
        name = QFileInfo(path).fileName().section(QLatin1Char('.'), 0, 0);
    if (info.bold)
        name += QLatin1String(" Bold");
    if (info.italic)
        name += QLatin1String(" Italic");
    return name;
}

bool lessByName(const std::shared_ptr<const DotFace>& a, const std::shared_ptr<const DotFace>& b) {
    const int folded = a->name().compare(b->name(), Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a->name() < b->name();
}

std::optional<PixelOutlineFamily> pixelOutlineFamily(const QString& family) {
    for (const PixelOutlineFamily& known : knownPixelOutlineFamilies())
        if (known.names.contains(family, Qt::CaseInsensitive))
            return known;
    return std::nullopt;
}

} // namespace

QStringList FaceLibrary::systemFontFolders(const QString& homeFolder) {
    return {QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/local/share/fonts"),
            homeFolder + QStringLiteral("/.local/share/fonts"), homeFolder + QStringLiteral("/.fonts")};
}

FaceLibrary FaceLibrary::discover(const QStringList& folders) {
    struct Found {
        QString path;
        FontInfo info;
    };
    std::vector<Found> files;
    for (const QString& folder : folders) {
        QDirIterator walk(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QString path = walk.next();
            if (!isBitmapFontFileName(path))
                continue;
            QString reason;
            if (const auto font = readBitmapFontFile(path, ReadDepth::InfoOnly, reason))
                files.push_back({path, font->info});
        }
    }
    // Within a height, the charset's rank decides, then the path: the same files always give the same face.
    std::sort(files.begin(), files.end(), [](const Found& a, const Found& b) {
        const int rankA = charsetRank(a.info), rankB = charsetRank(b.info);
        return rankA != rankB ? rankA < rankB : a.path < b.path;
    });

    struct Group {
        QString name;
        FontInfo info;
        std::map<int, DotFace::Height> heights;
    };
    std::map<QString, Group> groups; // by name folded to lower case
    std::set<QString> twoByteFiles;
    for (const Found& file : files) {
        const int height = file.info.lineHeight();
        if (height <= 0 || height > MaxGlyphSide)
            continue;
        const QString name = faceName(file.info, file.path);
        Group& group = groups.try_emplace(name.toLower(), Group{name, file.info, {}}).first->second;
        DotFace::Height& design = group.heights[height];
        if (design.sources.empty()) {
            design.ascent = file.info.ascent;
            design.descent = file.info.descent;
        }
        design.sources.push_back({file.path, nullptr});
        if (isTwoByteSet(file.info))
            twoByteFiles.insert(file.path);
    }

    FaceLibrary library;
    for (auto& [key, group] : groups) {
        // Half-width files join a kanji face at the heights where it has kanji; alone they make no height.
        const auto hasTwoByteSet = [&](const DotFace::Height& design) {
            return std::any_of(design.sources.begin(), design.sources.end(),
                               [&](const DotFace::Source& source) { return twoByteFiles.contains(source.path); });
        };
        if (std::any_of(group.heights.begin(), group.heights.end(),
                        [&](const auto& h) { return hasTwoByteSet(h.second); }))
            std::erase_if(group.heights, [&](const auto& h) { return !hasTwoByteSet(h.second); });
        library.m_faces.push_back(std::make_shared<const DotFace>(
            QStringList{group.name}, group.info.foundry, group.info.bold, group.info.italic, std::move(group.heights)));
    }
    const QStringList installed = QFontDatabase::families();
    for (const PixelOutlineFamily& family : knownPixelOutlineFamilies())
        if (installed.contains(family.names.front()))
            library.m_faces.push_back(std::make_shared<const DotFace>(family));
    std::stable_sort(library.m_faces.begin(), library.m_faces.end(), lessByName);
    return library;
}

QStringList FaceLibrary::dotFaceList() const {
    QStringList lines;
    for (const auto& face : m_faces) {
        QStringList heights;
        for (const int height : face->heights())
            heights << QString::number(height);
        lines << face->name() + QLatin1Char('\t') + heights.join(QLatin1Char(' '));
    }
    return lines;
}

Face FaceLibrary::dotFace(const std::shared_ptr<const DotFace>& face, bool bold, bool italic) const {
    // Stand-ins of the same foundry first (a kanji face's own half-width design), then of the same
    // weight and slant, each group in the library's order.
    std::vector<std::shared_ptr<const DotFace>> standIns;
    for (const auto& candidate : m_faces)
        if (candidate != face && candidate->name() != face->name())
            standIns.push_back(candidate);
    const auto distance = [&](const std::shared_ptr<const DotFace>& candidate) {
        const bool otherFoundry =
            face->foundry().isEmpty() || candidate->foundry().compare(face->foundry(), Qt::CaseInsensitive) != 0;
        const bool otherStyle = candidate->bold() != face->bold() || candidate->italic() != face->italic();
        return 2 * int(otherFoundry) + int(otherStyle);
    };
    std::stable_sort(standIns.begin(), standIns.end(),
                     [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
    return Face::dot(face, std::move(standIns), bold, italic);
}

std::optional<Face> FaceLibrary::find(const QString& name) const {
    for (const auto& face : m_faces)
        if (face->names().contains(name.trimmed(), Qt::CaseInsensitive))
            return dotFace(face);
    for (const QString& family : QFontDatabase::families())
        if (family.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return Face::outline(QFont(family));
    if (!QFont::substitutes(name.trimmed()).isEmpty())
        return Face::outline(QFont(name.trimmed()));
    return std::nullopt;
}

Face FaceLibrary::windowFace(const QFont& font) const {
    const QString family = QFontInfo(font).family();
    for (const auto& face : m_faces)
        if (face->isPixelOutline() && face->names().contains(family, Qt::CaseInsensitive))
            return dotFace(face, font.bold(), font.italic());
    return Face::outline(font);
}

std::optional<Face> FaceLibrary::loadFile(const QString& path, QString& reason) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return std::nullopt;
    }
    if (looksLikeBitmapFont(file.peek(16))) {
        file.close();
        auto font = readBitmapFontFile(path, ReadDepth::Glyphs, reason);
        if (!font)
            return std::nullopt;
        const FontInfo info = font->info;
        if (info.lineHeight() <= 0) {
            reason = QStringLiteral("the font's line has no height");
            return std::nullopt;
        }
        std::map<int, DotFace::Height> heights;
        heights[info.lineHeight()] =
            DotFace::Height{info.ascent, info.descent, {{path, std::make_shared<const BitmapFont>(std::move(*font))}}};
        return dotFace(std::make_shared<const DotFace>(QStringList{faceName(info, path)}, info.foundry, info.bold,
                                                       info.italic, std::move(heights)));
    }
    file.close();
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        reason = QStringLiteral("not a BDF, PCF, TrueType or OpenType font");
        return std::nullopt;
    }
    if (const auto pixelFamily = pixelOutlineFamily(families.front()))
        return dotFace(std::make_shared<const DotFace>(*pixelFamily));
    return Face::outline(QFont(families.front()));
}

} // namespace dotfont
