#include "codec/pngstream.h"
#include "codec/tiledeflate.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <vector>

using codec::PngColor;
using codec::PngEffort;
using codec::PngFrame;
using codec::PngStream;

namespace {

// Deterministic pixel values that are not a pattern a bug could hide in.
uint8_t sample(uint32_t x, uint32_t y, uint32_t channel, uint32_t salt) {
    return uint8_t((x * 7919u + y * 104729u + channel * 31u + salt * 613u) * 2654435761u >> 24);
}

std::vector<QRgb> paletteOf(int colours, bool translucent) {
    std::vector<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(qRgba(sample(i, 0, 0, 1), sample(i, 0, 1, 1), sample(i, 0, 2, 1),
                                translucent && i % 3 == 0 ? sample(i, 0, 3, 1) % 255 : 255));
    return palette;
}

// The rows of a picture and the colour each pixel must decode to.
struct Picture {
    codec::PngHeader header;
    std::vector<QRgb> palette;
    uint32_t salt = 0;

    codec::PngRows rows(uint32_t width) const {
        return [this, width](uint32_t y, uint8_t* row) {
            const int bytes = codec::pngBytesPerPixel(header.color);
            for (uint32_t x = 0; x < width; ++x)
                for (int c = 0; c < bytes; ++c)
                    row[x * bytes + c] = header.color == PngColor::Palette
                                             ? uint8_t(sample(x, y, 0, salt) % palette.size())
                                             : sample(x, y, uint32_t(c), salt);
        };
    }
    QRgb expected(uint32_t x, uint32_t y) const {
        switch (header.color) {
        case PngColor::Palette:
            return palette[sample(x, y, 0, salt) % palette.size()];
        case PngColor::Rgb:
            return qRgb(sample(x, y, 0, salt), sample(x, y, 1, salt), sample(x, y, 2, salt));
        case PngColor::Rgba:
            break;
        }
        return qRgba(sample(x, y, 0, salt), sample(x, y, 1, salt), sample(x, y, 2, salt), sample(x, y, 3, salt));
    }
};

// Compares every decoded pixel; translucent ones compared unpremultiplied as stored.
void comparePixels(const QImage& decoded, const Picture& picture, uint32_t width, uint32_t height) {
    QCOMPARE(decoded.size(), QSize(int(width), int(height)));
    const QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const QRgb want = picture.expected(x, y), got = image.pixel(int(x), int(y));
            if (got != want && !(qAlpha(want) == 0 && qAlpha(got) == 0))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, not %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(got, 8, 16, QLatin1Char('0'))
                                     .arg(want, 8, 16, QLatin1Char('0'))));
        }
}

struct Chunk {
    QByteArray type;
    QByteArray data;
};

// The file's chunks after the signature; fails the test on a wrong CRC or a truncated chunk.
std::vector<Chunk> chunksOf(const QByteArray& png) {
    std::vector<Chunk> chunks;
    if (!png.startsWith("\x89PNG\r\n\x1A\n"))
        return chunks;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(png.constData() + at);
        const uint32_t length =
            uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
        if (at + 12 + qsizetype(length) > png.size())
            break;
        const uint32_t crc = libdeflate_crc32(0, bytes + 4, 4 + length);
        const uint8_t* stored = bytes + 8 + length;
        if (crc != (uint32_t(stored[0]) << 24 | uint32_t(stored[1]) << 16 | uint32_t(stored[2]) << 8 | stored[3]))
            break;
        chunks.push_back({png.mid(at + 4, 4), png.mid(at + 8, length)});
        at += 12 + qsizetype(length);
    }
    return chunks;
}

uint32_t uint32At(const QByteArray& data, int at) {
    const auto* b = reinterpret_cast<const uint8_t*>(data.constData() + at);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

// A still PNG of one frame: the file's header chunks with the frame's size and its pixel data as IDAT.
QByteArray stillOfFrame(const std::vector<Chunk>& chunks, uint32_t width, uint32_t height, const QByteArray& pixels) {
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    const auto add = [&png](const QByteArray& type, const QByteArray& data) {
        QByteArray chunk(4, 0);
        chunk += type + data;
        for (int i = 0; i < 4; ++i)
            chunk[i] = char(uint32_t(data.size()) >> (24 - 8 * i));
        const uint32_t crc = libdeflate_crc32(0, chunk.constData() + 4, size_t(chunk.size() - 4));
        for (int i = 0; i < 4; ++i)
            chunk += char(crc >> (24 - 8 * i));
        png += chunk;
    };
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "IHDR") {
            QByteArray ihdr = chunk.data;
            for (int i = 0; i < 4; ++i) {
                ihdr[i] = char(width >> (24 - 8 * i));
                ihdr[4 + i] = char(height >> (24 - 8 * i));
            }
            add("IHDR", ihdr);
        } else if (chunk.type == "PLTE" || chunk.type == "tRNS") {
            add(chunk.type, chunk.data);
        }
    }
    add("IDAT", pixels);
    add("IEND", {});
    return png;
}

// A device that takes limit bytes and refuses the rest, as a full disk does.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 limit) : m_limit(limit) { open(WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override {
        if (m_written + length > m_limit)
            return -1;
        m_written += length;
        return length;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

} // namespace

class TestPngStream : public QObject {
    Q_OBJECT

private slots:
    void stillPicturesDecodeToTheirPixels_data() {
        QTest::addColumn<int>("color");
        QTest::addColumn<int>("colours");
        QTest::addColumn<bool>("translucent");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bitDepth");
        QTest::addColumn<int>("effort");
        const int palette = int(PngColor::Palette);
        const int fastest = int(PngEffort::Fastest), normal = int(PngEffort::Default);
        const int smallest = int(PngEffort::Smallest);
        // Widths with whole blocks of eight pixels and a part-filled last byte at every packed depth.
        QTest::newRow("2 colours, 1 bit") << palette << 2 << false << 13 << 23 << 1 << fastest;
        QTest::newRow("3 colours, 2 bits") << palette << 3 << false << 11 << 23 << 2 << normal;
        QTest::newRow("16 colours, 4 bits") << palette << 16 << false << 13 << 23 << 4 << smallest;
        QTest::newRow("4 colours, whole bytes") << palette << 4 << false << 16 << 23 << 2 << fastest;
        QTest::newRow("17 colours, 8 bits") << palette << 17 << false << 3 << 23 << 8 << normal;
        QTest::newRow("256 colours, translucent") << palette << 256 << true << 31 << 23 << 8 << fastest;
        QTest::newRow("one colour, translucent") << palette << 1 << true << 9 << 23 << 1 << normal;
        QTest::newRow("rgb") << int(PngColor::Rgb) << 0 << false << 17 << 23 << 8 << normal;
        QTest::newRow("rgba") << int(PngColor::Rgba) << 0 << true << 11 << 23 << 8 << smallest;
        // Large enough to be compressed in pieces on several threads and joined into one stream: Huffman
        // blocks, and stored blocks for pixels that do not compress.
        QTest::newRow("pieces, 3 colours") << palette << 3 << false << 9001 << 300 << 2 << fastest;
        QTest::newRow("pieces, 256 colours") << palette << 256 << true << 1501 << 400 << 8 << smallest;
        QTest::newRow("pieces, rgb") << int(PngColor::Rgb) << 0 << false << 700 << 300 << 8 << normal;
    }
    void stillPicturesDecodeToTheirPixels() {
        QFETCH(int, color);
        QFETCH(int, colours);
        QFETCH(bool, translucent);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bitDepth);
        QFETCH(int, effort);
        Picture picture;
        picture.palette = paletteOf(colours, translucent);
        picture.header = {uint32_t(width), uint32_t(height), PngColor(color), picture.palette};
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PngStream stream(buffer, PngEffort(effort));
        QVERIFY(stream.begin(picture.header));
        QVERIFY(stream.writeImage(picture.rows(picture.header.width)));
        QVERIFY(stream.finish());
        QCOMPARE(stream.error(), PngStream::Error::None);

        const std::vector<Chunk> chunks = chunksOf(buffer.data());
        QCOMPARE(qsizetype(chunks.size()),
                 qsizetype(4 + (color == int(PngColor::Palette) ? 1 : 0) + (translucent && colours ? 1 : 0)));
        QCOMPARE(chunks.back().type, QByteArray("IEND"));
        QCOMPARE(int(chunks.front().data[8]), bitDepth);
        // One zlib stream whose checksum holds, read by another inflater than the PNG decoder's.
        const QByteArray& idat = chunks[chunks.size() - 2].data;
        QCOMPARE(chunks[chunks.size() - 2].type, QByteArray("IDAT"));
        const size_t rowBytes = (size_t(width) * size_t(bitDepth * codec::pngBytesPerPixel(PngColor(color))) + 7) / 8;
        std::vector<uint8_t> inflated((rowBytes + 1) * size_t(height));
        const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
            libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
        QCOMPARE(libdeflate_zlib_decompress(inflater.get(), idat.constData(), size_t(idat.size()), inflated.data(),
                                            inflated.size(), nullptr),
                 LIBDEFLATE_SUCCESS);
        const QImage decoded = QImage::fromData(buffer.data(), "png");
        QCOMPARE(decoded.dotsPerMeterX(), 3780);
        QCOMPARE(decoded.dotsPerMeterY(), 3780);
        comparePixels(decoded, picture, picture.header.width, picture.header.height);
    }

    // Rows made of tiles, deflated from the tiles, inflate (by zlib, which refuses what deflate does not
    // allow, such as distances beyond its window) to the rows laid out byte by byte:
    // tiles alike in some lines, lines that repeat the one above, runs longer than one copy, words that
    // recur, rows of tiles within the window's reach and beyond it.
    void tileRowsInflateToTheirBytes_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("tileHeight");
        QTest::addColumn<int>("lineBytes");
        QTest::addColumn<int>("tiles");
        // Tile 0 everywhere but for a word of the other tiles at the start and again at the end.
        QTest::addColumn<bool>("echo");
        QTest::newRow("wide: rows beyond the window") << 9000 << 3 << 8 << 4 << 3 << false;
        QTest::newRow("narrow: rows of tiles above in reach") << 13 << 400 << 8 << 1 << 2 << false;
        QTest::newRow("wide, an echo beyond the window") << 9000 << 1 << 2 << 4 << 3 << true;
        QTest::newRow("one tile: every row the one above") << 1000 << 2 << 3 << 2 << 1 << false;
        QTest::newRow("one place") << 1 << 1 << 1 << 1 << 1 << false;
        QTest::newRow("wide lines") << 50 << 4 << 16 << 32 << 4 << false;
    }
    void tileRowsInflateToTheirBytes() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, tileHeight);
        QFETCH(int, lineBytes);
        QFETCH(int, tiles);
        QFETCH(bool, echo);
        std::vector<uint8_t> lines(size_t(tiles * tileHeight * lineBytes));
        for (size_t i = 0; i < lines.size(); ++i)
            lines[i] = sample(uint32_t(i), 0, 0, 5) % 7; // few byte values, as packed dots have
        auto lineOf = [&](int tile, int line) { return lines.data() + (tile * tileHeight + line) * lineBytes; };
        if (tiles > 1) { // tile 1 as tile 0 in its first line, and repeating its line above in its third
            std::memcpy(lineOf(1, 0), lineOf(0, 0), size_t(lineBytes));
            if (tileHeight > 2)
                std::memcpy(lineOf(1, 2), lineOf(1, 1), size_t(lineBytes));
        }
        // Runs of one tile, of every length around a copy's longest, and a word of tiles that recurs.
        std::vector<uint8_t> tileAt;
        for (uint32_t n = 0; tileAt.size() < size_t(columns * rows); ++n) {
            const uint32_t kind = sample(n, 1, 0, 9) % 3;
            const size_t run = kind == 0 ? 250 / size_t(lineBytes) + n % 20 : kind == 1 ? 23 : 1 + n % 3;
            for (size_t i = 0; i < run; ++i)
                tileAt.push_back(uint8_t(kind == 1 ? sample(uint32_t(i), 2, 0, 0) % tiles : n % tiles));
        }
        tileAt.resize(size_t(columns * rows));
        if (echo) {
            std::fill(tileAt.begin(), tileAt.end(), 0);
            for (size_t i = 0; i < 40; ++i)
                tileAt[i] = tileAt[tileAt.size() - 40 + i] = uint8_t(1 + sample(uint32_t(i), 3, 0, 0) % 2);
        }
        const codec::TileRows tileRows{columns,           rows, tileHeight, tileAt.data(), size_t(tiles),
                                       size_t(lineBytes), lines};
        std::vector<uint8_t> expected;
        for (int y = 0; y < rows * tileHeight; ++y) {
            expected.push_back(0);
            for (int x = 0; x < columns; ++x) {
                const uint8_t* bytes = lineOf(tileAt[size_t(y / tileHeight * columns + x)], y % tileHeight);
                expected.insert(expected.end(), bytes, bytes + lineBytes);
            }
        }
        for (const int level : {1, 4, 7}) {
            const std::vector<uint8_t> stream = codec::deflateTileRows(tileRows, level);
            std::vector<uint8_t> inflated(expected.size() + 1);
            uLongf inflatedBytes = uLongf(inflated.size());
            QCOMPARE(uncompress(inflated.data(), &inflatedBytes, stream.data(), uLong(stream.size())), Z_OK);
            inflated.resize(inflatedBytes);
            QVERIFY(inflated == expected);
        }
    }

    void animationFramesAreNumberedAndHoldTheirPixels() {
        Picture picture;
        picture.palette = paletteOf(5, false);
        picture.header = {12, 9, PngColor::Palette, picture.palette};
        const std::vector<PngFrame> frames = {
            {12, 9, 0, 0, 1, 10, PngFrame::Dispose::None, PngFrame::Blend::Source},
            {5, 3, 7, 6, 7, 100, PngFrame::Dispose::Background, PngFrame::Blend::Over},
            {12, 1, 0, 8, 65535, 1000, PngFrame::Dispose::Previous, PngFrame::Blend::Source},
        };
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PngStream stream(buffer, PngEffort::Default);
        QVERIFY(stream.begin(picture.header));
        QVERIFY(stream.beginAnimation(uint32_t(frames.size()), 3));
        for (size_t i = 0; i < frames.size(); ++i) {
            picture.salt = uint32_t(i);
            QVERIFY(stream.writeFrame(frames[i], picture.rows(frames[i].width)));
        }
        QVERIFY(stream.finish());

        const std::vector<Chunk> chunks = chunksOf(buffer.data());
        QByteArrayList types;
        for (const Chunk& chunk : chunks)
            types << chunk.type;
        QCOMPARE(types.join(' '), QByteArray("IHDR PLTE pHYs acTL fcTL IDAT fcTL fdAT fcTL fdAT IEND"));
        QCOMPARE(uint32At(chunks[3].data, 0), 3u);
        QCOMPARE(uint32At(chunks[3].data, 4), 3u);
        uint32_t sequence = 0;
        size_t frame = 0;
        for (size_t i = 4; i + 1 < chunks.size(); i += 2, ++frame) {
            const QByteArray& fctl = chunks[i].data;
            const PngFrame& want = frames[frame];
            QCOMPARE(fctl.size(), 26);
            QCOMPARE(uint32At(fctl, 0), sequence++);
            QCOMPARE(uint32At(fctl, 4), want.width);
            QCOMPARE(uint32At(fctl, 8), want.height);
            QCOMPARE(uint32At(fctl, 12), want.x);
            QCOMPARE(uint32At(fctl, 16), want.y);
            QCOMPARE(uint32At(fctl, 20), uint32_t(want.delayNumerator) << 16 | want.delayDenominator);
            QCOMPARE(int(fctl[24]), int(want.dispose));
            QCOMPARE(int(fctl[25]), int(want.blend));
            QByteArray pixels = chunks[i + 1].data;
            if (frame > 0) {
                QCOMPARE(uint32At(pixels, 0), sequence++);
                pixels.remove(0, 4);
            }
            picture.salt = uint32_t(frame);
            comparePixels(QImage::fromData(stillOfFrame(chunks, want.width, want.height, pixels), "png"), picture,
                          want.width, want.height);
        }
        // A viewer without animation shows the first frame.
        picture.salt = 0;
        comparePixels(QImage::fromData(buffer.data(), "png"), picture, 12, 9);
    }

    void callsOutOfOrderFail_data() {
        QTest::addColumn<int>("mistake");
        QTest::newRow("pixels before the header") << 0;
        QTest::newRow("fewer frames than announced") << 1;
        QTest::newRow("more frames than announced") << 2;
        QTest::newRow("a first frame smaller than the picture") << 3;
        QTest::newRow("a frame beyond the picture") << 4;
        QTest::newRow("a still picture in an animation") << 5;
        QTest::newRow("a palette of 257 colours") << 6;
        QTest::newRow("packed rows of another size than the picture's") << 7;
    }
    void callsOutOfOrderFail() {
        QFETCH(int, mistake);
        Picture picture;
        picture.palette = paletteOf(mistake == 6 ? 257 : 2, false);
        picture.header = {4, 4, PngColor::Palette, picture.palette};
        const PngFrame whole{4, 4};
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PngStream stream(buffer, PngEffort::Fastest);
        const codec::PngRows rows = picture.rows(4);
        bool ok = true;
        switch (mistake) {
        case 0:
            ok = stream.writeImage(rows);
            break;
        case 1:
            ok = stream.begin(picture.header) && stream.beginAnimation(2, 0) && stream.writeFrame(whole, rows) &&
                 stream.finish();
            break;
        case 2:
            ok = stream.begin(picture.header) && stream.beginAnimation(1, 0) && stream.writeFrame(whole, rows) &&
                 stream.writeFrame(whole, rows);
            break;
        case 3:
            ok = stream.begin(picture.header) && stream.beginAnimation(1, 0) && stream.writeFrame({4, 3}, rows);
            break;
        case 4:
            ok = stream.begin(picture.header) && stream.beginAnimation(2, 0) && stream.writeFrame(whole, rows) &&
                 stream.writeFrame({2, 2, 3, 0}, picture.rows(2));
            break;
        case 5:
            ok = stream.begin(picture.header) && stream.beginAnimation(1, 0) && stream.writeImage(rows);
            break;
        case 6:
            ok = stream.begin(picture.header);
            break;
        case 7: {
            const std::vector<uint8_t> packed(4 * 2 - 1); // four rows of a filter byte and 4 pixels at 1 bit
            ok = stream.begin(picture.header) && stream.writePackedImage(packed);
            break;
        }
        }
        QVERIFY(!ok);
        QCOMPARE(stream.error(), PngStream::Error::Misuse);
        QVERIFY(!stream.finish()); // nothing goes on after a failure
    }

    void aRefusedWriteFailsThisCallAndEveryLaterOne() {
        Picture picture;
        picture.header = {64, 64, PngColor::Rgb, {}};
        FillingDevice device(100); // the header fits, the pixels do not
        PngStream stream(device, PngEffort::Default);
        QVERIFY(stream.begin(picture.header));
        QVERIFY(!stream.writeImage(picture.rows(64)));
        QCOMPARE(stream.error(), PngStream::Error::Device);
        QVERIFY(!stream.finish());
        QCOMPARE(stream.error(), PngStream::Error::Device);
    }
};

QTEST_MAIN(TestPngStream)
#include "test_pngstream.moc"
