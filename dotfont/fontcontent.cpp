#include "dotfont/fontcontent.h"

#include "dotfont/bitmapfont.h"

#include <QIODevice>

#include <zlib.h>

#include <algorithm>
#include <utility>

namespace dotfont {

namespace {

// What a step reads and inflates at least: a PCF's table of contents, properties and accelerators
// mostly fit in it.
constexpr qsizetype ReadAhead = 1024;

} // namespace

struct FontContent::Inflater {
    z_stream stream{};
    QByteArray input;
    bool ready = false;

    Inflater() { ready = inflateInit2(&stream, 16 + MAX_WBITS) == Z_OK; } // gzip framing only
    ~Inflater() {
        if (ready)
            inflateEnd(&stream);
    }
};

FontContent::FontContent(QByteArray whole) : m_bytes(std::move(whole)), m_whole(true), m_started(true) {}

FontContent::FontContent(QIODevice& file) : m_file(&file) {}

FontContent::~FontContent() = default;

bool FontContent::reach(qsizetype size, QString& reason) {
    if (m_whole || m_bytes.size() >= size)
        return true;
    if (!m_started) {
        m_started = true;
        // The first bytes are the content's start, or the start of the gzip stream that holds it.
        if (!readMore(ReadAhead, reason))
            return false;
        if (m_bytes.size() >= 2 && uchar(m_bytes[0]) == 0x1F && uchar(m_bytes[1]) == 0x8B) {
            m_inflater = std::make_unique<Inflater>();
            if (!m_inflater->ready) {
                reason = QStringLiteral("out of memory");
                return false;
            }
            m_inflater->input = std::exchange(m_bytes, QByteArray());
            m_inflater->stream.next_in = reinterpret_cast<Bytef*>(m_inflater->input.data());
            m_inflater->stream.avail_in = uInt(m_inflater->input.size());
            m_whole = false;
        }
    }
    while (!m_whole && m_bytes.size() < size) {
        // The buffer at most doubles a step, so a size a damaged file asks for costs no more than its content.
        const qsizetype have = m_bytes.size();
        const qsizetype target =
            std::min({std::max(size, have + ReadAhead), have + std::max(have, ReadAhead), MaxFontFileBytes + 1});
        if (!(m_inflater ? inflateMore(target, reason) : readMore(target, reason)))
            return false;
    }
    return true;
}

bool FontContent::readMore(qsizetype target, QString& reason) {
    const qsizetype have = m_bytes.size();
    const qsizetype want = target - have;
    m_bytes.resize(target);
    const qint64 got = m_file->read(m_bytes.data() + have, want);
    if (got < 0) {
        m_bytes.resize(have);
        reason = m_file->errorString();
        return false;
    }
    m_bytes.resize(have + qsizetype(got));
    m_whole = got < want;
    if (m_bytes.size() > MaxFontFileBytes) {
        reason = QStringLiteral("font file too large");
        return false;
    }
    return true;
}

bool FontContent::inflateMore(qsizetype target, QString& reason) {
    z_stream& stream = m_inflater->stream;
    const qsizetype have = m_bytes.size();
    m_bytes.resize(target);
    stream.next_out = reinterpret_cast<Bytef*>(m_bytes.data() + have);
    stream.avail_out = uInt(target - have);
    bool ended = false;
    bool damaged = false;
    while (stream.avail_out > 0 && !ended && !damaged) {
        if (stream.avail_in == 0) {
            m_inflater->input.resize(ReadAhead);
            const qint64 got = m_file->read(m_inflater->input.data(), ReadAhead);
            if (got < 0) {
                m_bytes.resize(target - qsizetype(stream.avail_out));
                reason = m_file->errorString();
                return false;
            }
            if (got == 0) { // the stream stops before its end
                damaged = true;
                break;
            }
            stream.next_in = reinterpret_cast<Bytef*>(m_inflater->input.data());
            stream.avail_in = uInt(got);
        }
        const int status = inflate(&stream, Z_NO_FLUSH);
        ended = status == Z_STREAM_END;
        damaged = status != Z_OK && !ended;
    }
    m_bytes.resize(target - qsizetype(stream.avail_out));
    if (damaged) {
        reason = QStringLiteral("damaged gzip stream");
        return false;
    }
    if (m_bytes.size() > MaxFontFileBytes) {
        reason = QStringLiteral("font file too large");
        return false;
    }
    if (ended) {
        m_whole = true;
        m_inflater.reset();
    }
    return true;
}

} // namespace dotfont
