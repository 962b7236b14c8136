#pragma once

#include "codec/tiledeflate.h"
#include "codec/zlibstream.h"

#include <QRgb>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QIODevice;

namespace codec {

// How hard the compressor works, from the program's PNG setting.
enum class PngEffort { Default, Fastest, Smallest };

// 1 is the fastest, 2 the smallest, anything else the default.
PngEffort pngEffortOf(uint8_t pngSetting);

// The pixel layout of every row handed to the stream: 8 bits a sample.
enum class PngColor : uint8_t {
    Palette = 3, // one palette index a pixel
    Rgb = 2,     // R, G, B bytes
    Rgba = 6,    // R, G, B, A bytes, not premultiplied
};

// Bytes a pixel takes in a row of that layout.
int pngBytesPerPixel(PngColor color);

// Palette indices are packed as tightly as the palette allows: a board of two plain dots needs one bit a
// pixel, of two small dot pictures usually four. Fewer bytes compress both faster and smaller.
int paletteBitDepth(size_t colours);

// Packs width indices of one byte each into depth (1, 2, 4 or 8) bits a pixel, the leftmost pixel in
// the high bits: (width × depth + 7) / 8 bytes.
void packIndices(const uint8_t* indices, uint32_t width, int depth, uint8_t* out);

// The picture as a whole: IHDR, PLTE and tRNS.
struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    PngColor color = PngColor::Rgb;
    // Palette only: 1 to 256 colours, index order. An alpha below 255 anywhere adds a tRNS chunk.
    std::span<const QRgb> palette;
};

// One frame of an animated PNG: fcTL. The rectangle must lie inside the picture; the first frame must
// cover it whole (x = y = 0, the picture's size).
struct PngFrame {
    enum class Dispose : uint8_t { None = 0, Background = 1, Previous = 2 };
    enum class Blend : uint8_t { Source = 0, Over = 1 };

    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t x = 0;
    uint32_t y = 0;
    uint16_t delayNumerator = 0; // the frame shows for numerator / denominator seconds
    uint16_t delayDenominator = 100;
    Dispose dispose = Dispose::None;
    Blend blend = Blend::Source;
};

// Fills row y (0 at the top) of the image being written: width × pngBytesPerPixel(color) bytes at row,
// palette indices below the palette's size. Rows are asked for once each, top to bottom. The stream
// owns the buffer; it is only valid during the call.
using PngRows = std::function<void(uint32_t y, uint8_t* row)>;

// A PNG or APNG written chunk by chunk to a device that is already open for writing.
//
// A still picture:   begin(header); writeImage(rows); finish();
// An animation:      begin(header); beginAnimation(frames, loops);
//                    then for each frame writeFrame(frame, rows); finish();
// The first frame's pixels are the picture's IDAT (what a viewer without APNG support shows), later
// frames are fdAT chunks; fcTL and fdAT share one sequence number from 0. Exactly `frames` frames must
// be written: the count is in acTL, ahead of the pixels, so it has to be known at the start.
//
// Rows are handed over at 8 bits a sample (one byte per palette index); the stream stores palette
// pixels in 1, 2 or 4 bits when the palette has at most 2, 4 or 16 colours. Palette rows are written
// unfiltered, true-colour rows with the Up filter. Each image is one zlib stream (ZlibStream: on every
// core for a large image) of the whole filtered image, which is kept in memory once: height × (1 +
// packed row bytes), at most a quarter of a 32-bit surface of the same size for palette pixels and three
// quarters for RGB. A still picture whose writer has packed its palette pixels itself hands them over
// as they go into the file (writePackedImage); a picture made of tiles hands over the tiles' packed lines,
// and its rows are never made at all (deflateTileRows).
// The physical size is 3780 pixels a metre (96 dpi), like every surface.
class PngStream {
public:
    enum class Error {
        None,
        Device,      // the device refused a write: its errorString() says why
        OutOfMemory, // the filtered image or its compressed form could not be allocated
        Misuse,      // calls out of order, a wrong frame count, a frame outside the picture
    };

    PngStream(QIODevice& device, PngEffort effort);
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    // Signature, IHDR, PLTE and tRNS when the layout has a palette, and pHYs.
    bool begin(const PngHeader& header);
    // acTL: the number of frames (at least 1) and how many times to play them (0 for ever).
    bool beginAnimation(uint32_t frames, uint32_t loops);
    // The pixels of a still picture: IDAT.
    bool writeImage(const PngRows& rows);
    // The same from rows already in the file's layout: each a filter byte of 0 and the pixels packed at
    // the header's bit depth (see paletteBitDepth and packIndices), height × (1 + packed row bytes).
    bool writePackedImage(std::span<const uint8_t> filteredRows);
    // The same rows made of tiles' packed lines, compressed from the tiles (deflateTileRows).
    bool writePackedImage(const TileRows& rows);
    // One frame of an animation: fcTL, then IDAT for the first frame and fdAT after it.
    bool writeFrame(const PngFrame& frame, const PngRows& rows);
    // IEND. The device is left open: closing or committing it is the caller's.
    bool finish();

    // Why the first failing call failed; every call after a failure fails at once.
    Error error() const { return m_error; }

private:
    bool fail(Error error);
    bool writeChunk(const char type[4], std::span<const uint8_t> data);
    bool writeChunk(const char type[4], const std::vector<std::span<const uint8_t>>& parts);
    bool writePixels(uint32_t width, uint32_t height, const PngRows& rows, bool asFrameData);
    bool acceptsPacked(size_t bytes);
    bool writeCompressed(std::span<const uint8_t> filtered, bool asFrameData);
    bool writeZlib(bool asFrameData);

    enum class Stage { Start, Header, Animation, Pixels, Finished };

    QIODevice& m_device;
    int m_level; // libdeflate's, and the tile deflater's match for it
    Error m_error = Error::None;
    Stage m_stage = Stage::Start;
    PngHeader m_header; // without the palette, which is only read by begin()
    int m_bitDepth = 8;
    uint32_t m_framesLeft = 0;
    uint32_t m_framesWritten = 0;
    uint32_t m_sequence = 0;
    ZlibStream m_zlib;
};

} // namespace codec
