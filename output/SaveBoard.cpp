#include "output/SaveBoard.h"

#include "output/savecommand.h"
#include "platform/filetypes.h"

namespace output {

namespace {

// The save dialog's filters after the first, which takes any board image type.
struct SaveFilter {
    const char* description; // UTF-8
    platform::ImageFormat format;
};
const SaveFilter SaveFilters[] = {
    {"ビットマップファイル", platform::ImageFormat::Bmp},
    {"ＪＰＥＧファイル", platform::ImageFormat::Jpeg},
    {"ＰＮＧファイル", platform::ImageFormat::Png},
};

QString lowerPattern(platform::ImageFormat format) {
    return QLatin1Char('*') + platform::extensionOf(format).toLower();
}

} // namespace

QString saveFilterPattern() {
    const QChar nul(0);
    QStringList anyType;
    QString filters;
    for (const SaveFilter& filter : SaveFilters) {
        anyType << lowerPattern(filter.format);
        filters += QString::fromUtf8(filter.description) + nul + lowerPattern(filter.format) + nul;
    }
    return QStringLiteral("画像ファイル") + nul + anyType.join(QLatin1Char(';')) + nul + filters;
}

QString settleFileName(const QString& name, int32_t filterIndex) {
    const auto named = platform::boardFormatNamed(name);
    const qsizetype filter = qsizetype(filterIndex) - 2;
    if (filter >= 0 && filter < qsizetype(std::size(SaveFilters))) {
        const platform::ImageFormat wanted = SaveFilters[filter].format;
        return named == wanted ? name : name + platform::extensionOf(wanted);
    }
    return named ? name : name + platform::extensionOf(platform::ImageFormat::Bmp);
}

void SaveBoard(const platform::Surface& board, QSize cellSize, const SaveOptions& options, QObject* owner,
               QString statusBefore, const std::function<void(const QString&)>& showStatus) {
    const SaveDialog dialog{QStringLiteral("ファイルの保存"), saveFilterPattern(), settleFileName};
    saveThroughDialog(dialog, owner, statusBefore, showStatus, [&](const QString& name) {
        return writeBoard(board, name, platform::saveFormatOf(name), options, cellSize);
    });
}

} // namespace output
