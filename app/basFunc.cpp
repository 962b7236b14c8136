#include "app/basFunc.h"

#include "platform/profile.h"
#include "platform/text.h"

namespace app {

namespace {

// Values are read into a fixed buffer of this size, so at most one byte less comes back.
constexpr int iniBufferSize = 255;

} // namespace

QString ReadIni(QString section, QString key, QString defaultValue, const platform::Profile& file) {
    QString buffer;
    if (file.value(section, key, defaultValue, buffer, iniBufferSize) == 0)
        return QString();
    return platform::TrimNull(buffer);
}

int16_t WriteIni(QString section, QString key, QString value, QString file) {
    return platform::WritePrivateProfileString(section, key, value, file) ? -1 : 0;
}

} // namespace app
