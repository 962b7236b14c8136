#include "dotfont/facelibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <mutex>
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

// The faces of the bitmap font files under the folders.
std::vector<std::shared_ptr<const DotFace>> bitmapFaces(const QStringList& folders) {
    struct Found {
        QString path;
        FontInfo info;
    };
    std::vector<Found> files;
    for (const QString& folder : folders) {
        // Names are matched here: the walk's own name filters, and its Readable filter, cost more than
        // the files they would spare a look at.
        QDirIterator walk(folder, QDir::Files, QDirIterator::Subdirectories);
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

    std::vector<std::shared_ptr<const DotFace>> faces;
    for (auto& [key, group] : groups) {
        // Half-width files join a kanji face at the heights where it has kanji; alone they make no height.
        const auto hasTwoByteSet = [&](const DotFace::Height& design) {
            return std::any_of(design.sources.begin(), design.sources.end(),
                               [&](const DotFace::Source& source) { return twoByteFiles.contains(source.path); });
        };
        if (std::any_of(group.heights.begin(), group.heights.end(),
                        [&](const auto& h) { return hasTwoByteSet(h.second); }))
            std::erase_if(group.heights, [&](const auto& h) { return !hasTwoByteSet(h.second); });
        faces.push_back(std::make_shared<const DotFace>(QStringList{group.name}, group.info.foundry, group.info.bold,
                                                        group.info.italic, std::move(group.heights)));
    }
    return faces;
}

// The faces that may draw what face lacks: those of the same foundry first (a kanji face's own
// half-width design), then of the same weight and slant, each group in the library's order.
std::vector<std::shared_ptr<const DotFace>> standInsFor(const std::shared_ptr<const DotFace>& face,
                                                        const std::vector<std::shared_ptr<const DotFace>>& faces) {
    std::vector<std::shared_ptr<const DotFace>> standIns;
    for (const auto& candidate : faces)
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
    return standIns;
}

} // namespace

// What the library found: the pixel outline faces once asked for (Qt knows them already), every face
// once the font folders are read. Copies of the library and the faces it gives share it, so the folders
// are read once, by whichever thread asks first.
class FaceLibrary::Catalog {
public:
    explicit Catalog(QStringList folders) : m_folders(std::move(folders)) {}

    const std::vector<std::shared_ptr<const DotFace>>& pixelOutlineFaces() {
        std::call_once(m_pixelOutlineFound, [this] {
            const QStringList installed = QFontDatabase::families(); // hasFamily() asks fontconfig, slowly
            for (const PixelOutlineFamily& family : knownPixelOutlineFamilies())
                if (installed.contains(family.names.front()))
                    m_pixelOutline.push_back(std::make_shared<const DotFace>(family));
        });
        return m_pixelOutline;
    }

    const std::vector<std::shared_ptr<const DotFace>>& faces() {
        std::call_once(m_foldersRead, [this] {
            m_faces = pixelOutlineFaces(); // first: a pixel outline family's name stays its own
            const auto bitmap = bitmapFaces(m_folders);
            m_faces.insert(m_faces.end(), bitmap.begin(), bitmap.end());
            std::stable_sort(m_faces.begin(), m_faces.end(), lessByName);
        });
        return m_faces;
    }

private:
    const QStringList m_folders;
    std::once_flag m_pixelOutlineFound;
    std::once_flag m_foldersRead;
    std::vector<std::shared_ptr<const DotFace>> m_pixelOutline;
    std::vector<std::shared_ptr<const DotFace>> m_faces;
};

QStringList FaceLibrary::systemFontFolders(const QString& homeFolder) {
    return {QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/local/share/fonts"),
            homeFolder + QStringLiteral("/.local/share/fonts"), homeFolder + QStringLiteral("/.fonts")};
}

FaceLibrary::FaceLibrary() : FaceLibrary(std::make_shared<Catalog>(QStringList())) {}

FaceLibrary::FaceLibrary(std::shared_ptr<Catalog> catalog) : m_catalog(std::move(catalog)) {}

FaceLibrary FaceLibrary::discover(const QStringList& folders) {
    return FaceLibrary(std::make_shared<Catalog>(folders));
}

const std::vector<std::shared_ptr<const DotFace>>& FaceLibrary::faces() const {
    return m_catalog->faces();
}

QStringList FaceLibrary::dotFaceList() const {
    QStringList lines;
    for (const auto& face : faces()) {
        QStringList heights;
        for (const int height : face->heights())
            heights << QString::number(height);
        lines << face->name() + QLatin1Char('\t') + heights.join(QLatin1Char(' '));
    }
    return lines;
}

Face FaceLibrary::dotFace(const std::shared_ptr<const DotFace>& face, bool bold, bool italic) const {
    return Face::dot(
        face, [catalog = m_catalog, face] { return standInsFor(face, catalog->faces()); }, bold, italic);
}

std::optional<Face> FaceLibrary::find(const QString& name) const {
    const QString wanted = name.trimmed();
    const auto named = [&](const std::shared_ptr<const DotFace>& face) {
        return face->names().contains(wanted, Qt::CaseInsensitive);
    };
    const auto& pixelOutline = m_catalog->pixelOutlineFaces();
    if (const auto found = std::find_if(pixelOutline.begin(), pixelOutline.end(), named); found != pixelOutline.end())
        return dotFace(*found);
    const auto& all = m_catalog->faces(); // only now the folders are read
    if (const auto found = std::find_if(all.begin(), all.end(), named); found != all.end())
        return dotFace(*found);
    for (const QString& family : QFontDatabase::families())
        if (family.compare(wanted, Qt::CaseInsensitive) == 0)
            return Face::outline(QFont(family));
    if (!QFont::substitutes(wanted).isEmpty())
        return Face::outline(QFont(wanted));
    return std::nullopt;
}

Face FaceLibrary::windowFace(const QFont& font) const {
    const QString family = QFontInfo(font).family();
    for (const auto& face : m_catalog->pixelOutlineFaces())
        if (face->names().contains(family, Qt::CaseInsensitive))
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
