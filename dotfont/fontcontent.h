#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace dotfont {

// A font file's content (gunzipped when the file is gzip-compressed) as its readers see it: the bytes
// read so far, and more on request. A face's description lies in the first kilobyte of files that are
// megabytes long, so listing faces reads and inflates only that much.
class FontContent {
public:
    // The whole content, already in memory and decompressed.
    explicit FontContent(QByteArray whole);
    // The content of a file or buffer open for reading, read and inflated only as far as asked. The
    // device must outlive the content.
    explicit FontContent(QIODevice& file);
    ~FontContent();
    FontContent(const FontContent&) = delete;
    FontContent& operator=(const FontContent&) = delete;

    const QByteArray& bytes() const { return m_bytes; }
    bool whole() const { return m_whole; }

    // Makes the content's first size bytes available, or all of it when it is shorter. Gives false and
    // a reason when the file cannot be read, its gzip stream is damaged, or the content would grow
    // beyond MaxFontFileBytes.
    bool reach(qsizetype size, QString& reason);

private:
    // One step towards reach's size: the content up to target bytes, or all of it when shorter.
    bool readMore(qsizetype target, QString& reason);
    bool inflateMore(qsizetype target, QString& reason);

    struct Inflater;
    QIODevice* m_file = nullptr;
    std::unique_ptr<Inflater> m_inflater; // set while a gzip stream is being inflated
    QByteArray m_bytes;
    bool m_whole = false;
    bool m_started = false;
};

} // namespace dotfont
