#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

struct libdeflate_compressor;

namespace codec {

struct FreeDeleter {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using MallocBuffer = std::unique_ptr<uint8_t[], FreeDeleter>;

// malloc, not a vector: buffers sized for the worst case keep the pages never written out of the
// process's memory. Never null for a size of 0; null when memory runs out.
MallocBuffer allocateBuffer(size_t bytes);

// The two bytes a zlib stream starts with, as libdeflate writes them at level (1 to 12): a 32 KiB window, no
// dictionary, and the level's class.
std::array<uint8_t, 2> zlibHeader(int level);

// Data compressed by libdeflate as one zlib stream, held as parts that make the stream when written
// one after the other.
//
// Data of at least two pieces is compressed piece by piece on every core, and the pieces are joined:
// each piece but the last ends in an empty stored block instead of a final block, as a flush of zlib's
// would end it, and the checksums are combined. Each piece starts without the one before as its
// dictionary, which costs under 1 % of the size on boards; the pieces of 256 KiB are small enough to
// share out evenly and large enough that starting a thread costs little beside them. The stream
// depends only on the data and the level, never on the number of cores, and less data is compressed
// in one go, exactly as libdeflate alone compresses it.
class ZlibStream {
public:
    static constexpr size_t PieceBytes = size_t(256) << 10;

    // At libdeflate's level, 1 to 12.
    explicit ZlibStream(int level);
    ~ZlibStream();
    ZlibStream(const ZlibStream&) = delete;
    ZlibStream& operator=(const ZlibStream&) = delete;

    // Compresses data, replacing what the stream held; false when memory ran out.
    bool compress(std::span<const uint8_t> data);

    // The stream, in order.
    std::vector<std::span<const uint8_t>> parts() const;

private:
    struct Piece {
        MallocBuffer bytes;
        size_t size = 0;
    };
    bool compressWhole(std::span<const uint8_t> data);
    bool compressInPieces(std::span<const uint8_t> data);

    int m_level;
    // Kept from call to call (an animation compresses many frames); the pieces of other threads get
    // compressors of their own.
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> m_compressor;

    std::vector<Piece> m_pieces;
    std::array<uint8_t, 2> m_header{};
    uint8_t m_trailer[4] = {};
    bool m_whole = false; // one piece holds the whole zlib stream, header and trailer too
};

} // namespace codec
