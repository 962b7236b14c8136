// The settings file parser, fed the whole file. Every key the program reads is read; then one key,
// chosen by the first byte, is written, and what a write promises is checked: a value read back is
// what was written, a refused write leaves the file byte for byte as it was, and neither leaves a
// temporary file behind.

#include "fuzzfiles.h"

#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

struct Key {
    QString section;
    QString name;
};

const std::array<Key, 9> keys = {{{"Data", "Mongon"},
                                  {"Font", "Name"},
                                  {"Font", "Size"},
                                  {"Font", "Italic"},
                                  {"Font", "Tick"},
                                  {"JPEG", "Rate"},
                                  {"JPEG", "Prgrs"},
                                  {"PNG", "Rate"},
                                  {"Options", "GIF"}}};

QString read(const Key& key, const QString& file) {
    QString value;
    const int length = platform::GetPrivateProfileString(key.section, key.name, QStringLiteral("-"), value, 255, file);
    fuzz::require(length == value.toUtf8().size() && length <= 254, "a value fits the buffer, whole characters only");
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString file = fuzz::scratchPath(QStringLiteral("Lumidot.Ini"));
    const QByteArray input = fuzz::inputBytes(data, size);
    fuzz::writeInput(file, input);
    for (const Key& key : keys)
        read(key, file);

    const Key& key = keys[size > 0 ? data[0] % keys.size() : 0];
    const QString value = QStringLiteral("Fuzz 値 %1").arg(size);
    if (platform::WritePrivateProfileString(key.section, key.name, value, file)) {
        fuzz::require(read(key, file) == value, "a written value reads back");
    } else {
        QFile kept(file);
        fuzz::require(kept.open(QIODevice::ReadOnly) && kept.readAll() == input, "a refused write changes nothing");
    }
    fuzz::require(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden).size() == 1,
                  "no temporary file is left");
    return 0;
}
