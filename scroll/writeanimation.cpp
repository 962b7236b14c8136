#include "scroll/writeanimation.h"

#include "scroll/apngencoder.h"
#include "scroll/cheaderencoder.h"
#include "scroll/framesequence.h"
#include "scroll/gifencoder.h"
#include "scroll/output.h"
#include "scroll/palette.h"
#include "scroll/pbmencoder.h"
#include "scroll/webpencoder.h"

#include <cerrno>
#include <memory>

namespace scroll {

namespace {

constexpr int PaletteSize = 256;

std::unique_ptr<Encoder> encoderFor(AnimationFormat format, const CHeaderOptions& header) {
    switch (format) {
    case AnimationFormat::Gif:
        return std::make_unique<GifEncoder>();
    case AnimationFormat::WebP:
        return std::make_unique<WebpEncoder>();
    case AnimationFormat::Apng:
        return std::make_unique<ApngEncoder>();
    case AnimationFormat::Pbm:
        return std::make_unique<PbmEncoder>();
    case AnimationFormat::CHeader:
        return std::make_unique<CHeaderEncoder>(header);
    }
    return nullptr;
}

platform::Result concerning(platform::Result result, const QString& fileName) {
    result.file = fileName;
    return result;
}

} // namespace

platform::Result writeAnimation(const Sign& sign, const AnimationSettings& settings, const QString& fileName,
                                AnimationFormat format, const CHeaderOptions& headerOptions) {
    if (platform::Result checked = checkSettings(sign, settings); !checked.ok())
        return concerning(checked, fileName);
    // The output outlives the encoder, which may still write to it when it is given up.
    Output output(fileName);
    const std::unique_ptr<Encoder> encoder = encoderFor(format, headerOptions);

    // Palette formats get the cell pictures as indices, so every frame is drawn straight into them.
    AnimationHeader header;
    Sign drawn = sign;
    switch (encoder->pixels()) {
    case FramePixels::None:
    case FramePixels::TrueColour:
        break;
    case FramePixels::Indexed:
        header.palette = paletteFor(sign, PaletteSize);
        break;
    case FramePixels::Exact:
        if (const QList<QRgb> exact = signColours(sign, PaletteSize); exact.size() <= PaletteSize)
            header.palette = exact;
        break;
    }
    if (!header.palette.isEmpty())
        drawn = indexedSign(sign, header.palette);

    const FrameSequence frames(drawn, settings);
    header.frameSize = frames.frameSize();
    header.columns = frames.panelColumns();
    header.rows = frames.rows();
    header.frameCount = frames.frameCount();
    header.delayMs = settings.delayMs;
    header.loopCount = settings.loopCount;
    header.sequence = &frames;

    if (platform::Result opened = output.openFile(); !opened.ok())
        return opened;
    if (platform::Result begun = encoder->begin(output, header); !begun.ok())
        return concerning(begun, fileName);
    QImage pixels;
    for (int k = 0; k < frames.frameCount(); ++k) {
        const board::CellGrid cells = frames.panelCells(k);
        if (encoder->pixels() != FramePixels::None && !frames.drawCells(cells, pixels))
            return platform::Result::system(fileName, ENOMEM);
        if (platform::Result added = encoder->addFrame({cells, pixels, frames.delayMs(k)}); !added.ok())
            return concerning(added, fileName);
    }
    if (platform::Result finished = encoder->finish(); !finished.ok())
        return concerning(finished, fileName);
    return output.commit();
}

} // namespace scroll
