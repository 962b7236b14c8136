#pragma once

#include "scroll/writeanimation.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QImage>
#include <QList>
#include <QRect>

#include <gif_lib.h>
#include <webp/demux.h>

#include <cmath>
#include <cstring>

// Readers of the animation files that share nothing with the encoders: giflib and libwebp's animation
// decoder for GIF and WebP, a chunk splitter over QImage's PNG reader for APNG.
namespace animationdecoders {

// An animation as a viewer shows it: every frame's whole picture, how long it stays, how often it plays.
struct Decoded {
    QList<QImage> frames; // Format_RGB32
    QList<int> delaysMs;
    int plays = -1; // 0 = forever
    QString problem;
};

inline Decoded decodeGif(const QString& path) {
    Decoded decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        decoded.problem = QStringLiteral("giflib cannot read it");
        if (gif)
            DGifCloseFile(gif, &error);
        return decoded;
    }
    // Without a NETSCAPE2.0 block a GIF plays once; its count is of repeats after the first play.
    decoded.plays = 1;
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = first.ExtensionBlocks[i];
        const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1) {
            const int repeats = data.Bytes[1] | data.Bytes[2] << 8;
            decoded.plays = repeats == 0 ? 0 : repeats + 1;
        }
    }
    QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& image = gif->SavedImages[k];
        const GifImageDesc& desc = image.ImageDesc;
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, k, &control);
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if ((k == 0 && (desc.Width != gif->SWidth || desc.Height != gif->SHeight)) || control.DisposalMode > 1) {
            decoded.problem = QStringLiteral("frame %1 needs more than drawing over the last").arg(k);
            break;
        }
        for (int y = 0; y < desc.Height; ++y) {
            for (int x = 0; x < desc.Width; ++x) {
                const int index = image.RasterBits[y * desc.Width + x];
                if (index == control.TransparentColor)
                    continue;
                const GifColorType c = map->Colors[index];
                canvas.setPixel(desc.Left + x, desc.Top + y, qRgb(c.Red, c.Green, c.Blue));
            }
        }
        decoded.frames.append(canvas.copy());
        decoded.delaysMs.append(control.DelayTime * 10);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

inline Decoded decodeWebp(const QString& path) {
    Decoded decoded;
    const QByteArray bytes = testsupport::readAll(path);
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA; // in memory the words of QImage::Format_ARGB32
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder, &info)) {
        decoded.problem = QStringLiteral("libwebp cannot read it");
        WebPAnimDecoderDelete(decoder);
        return decoded;
    }
    decoded.plays = int(info.loop_count);
    int before = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* pixels = nullptr;
        int timestamp = 0; // when the frame ends
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
            decoded.problem = QStringLiteral("frame %1 cannot be read").arg(decoded.frames.size());
            break;
        }
        const QImage canvas(pixels, int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32);
        decoded.frames.append(canvas.convertToFormat(QImage::Format_RGB32));
        decoded.delaysMs.append(timestamp - before);
        before = timestamp;
    }
    WebPAnimDecoderDelete(decoder);
    return decoded;
}

inline uint32_t bigEndian(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

inline QByteArray bigEndianBytes(uint32_t value) {
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

inline uint32_t crc32(const QByteArray& bytes) {
    uint32_t crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

inline QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    return bigEndianBytes(uint32_t(data.size())) + type + data + bigEndianBytes(crc32(type + data));
}

// Each APNG frame becomes a PNG of its own (the picture's IHDR with the frame's size, PLTE and tRNS,
// its IDAT or its fdAT as IDAT) that QImage decodes; the frames are then drawn as a viewer draws them.
inline Decoded decodeApng(const QString& path) {
    Decoded decoded;
    const QByteArray png = testsupport::readAll(path);
    if (!png.startsWith("\x89PNG\r\n\x1a\n")) {
        decoded.problem = QStringLiteral("no PNG signature");
        return decoded;
    }
    QByteArray header;  // IHDR's data
    QByteArray colours; // PLTE and tRNS chunks as they stand
    struct Part {
        QRect area;
        int delayMs;
        bool over;
        QByteArray data;
    };
    QList<Part> parts;
    int frameCount = -1;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = bigEndian(png.constData() + at);
        const QByteArray type = png.mid(at + 4, 4);
        const QByteArray data = png.mid(at + 8, length);
        at += 12 + length;
        if (type == "IHDR") {
            header = data;
        } else if (type == "PLTE" || type == "tRNS") {
            colours += chunk(type, data);
        } else if (type == "acTL") {
            frameCount = int(bigEndian(data.constData()));
            decoded.plays = int(bigEndian(data.constData() + 4));
        } else if (type == "fcTL") {
            const auto field = [&](int offset) { return int(bigEndian(data.constData() + offset)); };
            const int numerator = uchar(data[20]) << 8 | uchar(data[21]);
            const int denominator = uchar(data[22]) << 8 | uchar(data[23]);
            if (data[24] != 0) {
                decoded.problem = QStringLiteral("a frame is disposed of");
                return decoded;
            }
            parts.append(
                {QRect(field(12), field(16), field(4), field(8)), numerator * 1000 / denominator, data[25] == 1, {}});
        } else if ((type == "IDAT" || type == "fdAT") && !parts.isEmpty()) {
            parts.last().data += type == "IDAT" ? data : data.mid(4);
        }
    }
    if (frameCount != parts.size()) {
        decoded.problem = QStringLiteral("acTL counts %1 frames, there are %2").arg(frameCount).arg(parts.size());
        return decoded;
    }
    QImage canvas(int(bigEndian(header.constData())), int(bigEndian(header.constData() + 4)), QImage::Format_RGB32);
    for (const Part& part : parts) {
        QByteArray frameHeader = header;
        frameHeader.replace(0, 8,
                            bigEndianBytes(uint32_t(part.area.width())) + bigEndianBytes(uint32_t(part.area.height())));
        const QByteArray single =
            png.left(8) + chunk("IHDR", frameHeader) + colours + chunk("IDAT", part.data) + chunk("IEND", {});
        const QImage image = QImage::fromData(single, "PNG").convertToFormat(QImage::Format_ARGB32);
        if (image.size() != part.area.size()) {
            decoded.problem = QStringLiteral("frame %1 cannot be decoded").arg(decoded.frames.size());
            return decoded;
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (!part.over || qAlpha(pixel) == 255)
                    canvas.setPixel(part.area.left() + x, part.area.top() + y, pixel);
                else if (qAlpha(pixel) != 0)
                    decoded.problem = QStringLiteral("a pixel is partly transparent");
            }
        }
        decoded.frames.append(canvas.copy());
        decoded.delaysMs.append(part.delayMs);
    }
    return decoded;
}

inline Decoded decode(scroll::AnimationFormat format, const QString& path) {
    switch (format) {
    case scroll::AnimationFormat::Gif:
        return decodeGif(path);
    case scroll::AnimationFormat::WebP:
        return decodeWebp(path);
    case scroll::AnimationFormat::Apng:
        return decodeApng(path);
    default:
        return {};
    }
}

// What a delay becomes in the format: GIF counts hundredths of a second.
inline int writtenDelay(scroll::AnimationFormat format, int delayMs) {
    return format == scroll::AnimationFormat::Gif ? int(std::lround(delayMs / 10.0)) * 10 : delayMs;
}

} // namespace animationdecoders
