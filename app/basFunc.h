#pragma once

#include "platform/profile.h"

#include <QString>

#include <cstdint>

namespace app {

// The value of key in section of the profile file (read once by the caller), or defaultValue; at most 254
// bytes of UTF-8.
QString ReadIni(QString section, QString key, QString defaultValue, const platform::Profile& file);
// Sets key in section of the profile file: -1 on success, 0 on failure.
int16_t WriteIni(QString section, QString key, QString value, QString file);

} // namespace app
