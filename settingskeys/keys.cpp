#include "settingskeys/keys.h"

#include "platform/numbers.h"

#include <algorithm>

namespace settingskeys {

int readWhole(const Key& key, const QString& text) {
    const double value = platform::parseNumber(text);
    if (key.outOfRange == OutOfRange::Kept)
        return platform::toInt16(value);
    return int(std::clamp(platform::roundHalfEven(value), double(key.lowest), double(key.highest)));
}

QString keyPath(const Key& key) {
    return QStringLiteral("[%1] %2").arg(QLatin1String(key.section), QLatin1String(key.name));
}

} // namespace settingskeys
