#include "platform/numbers.h"

#include "platform/errors.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace platform {

namespace {

template <typename Int> Int checkedRound(double value) {
    if (std::isnan(value))
        raiseError(ErrOverflow);
    const double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        raiseError(ErrOverflow);
    return static_cast<Int>(rounded);
}

template <typename Int> Int checkedResult(long long value) {
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        raiseError(ErrOverflow);
    return static_cast<Int>(value);
}

// Numbers in files read and write the same in every locale, so a file moves between users and machines:
// a decimal point and no group separators, whatever the user's locale would print.
QLocale numberLocale() {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

double roundHalfEven(double value) {
    return std::nearbyint(value);
} // the default rounding mode is to-even

int16_t toInt16(double value) {
    return checkedRound<int16_t>(value);
}
int32_t toInt32(double value) {
    return checkedRound<int32_t>(value);
}
uint8_t toByte(double value) {
    return checkedRound<uint8_t>(value);
}

int16_t mul16(int16_t a, int16_t b) {
    return checkedResult<int16_t>(static_cast<long long>(a) * b);
}
int16_t add16(int16_t a, int16_t b) {
    return checkedResult<int16_t>(static_cast<long long>(a) + b);
}
int16_t sub16(int16_t a, int16_t b) {
    return checkedResult<int16_t>(static_cast<long long>(a) - b);
}
int32_t mul32(int32_t a, int32_t b) {
    return checkedResult<int32_t>(static_cast<long long>(a) * b);
}
int32_t add32(int32_t a, int32_t b) {
    return checkedResult<int32_t>(static_cast<long long>(a) + b);
}

double parseNumber(const QString& text) {
    QString number = text.trimmed();
    // A decimal comma, as a German or French user writes a number by hand.
    if (!number.contains(u'.') && number.count(u',') == 1)
        number.replace(u',', u'.');
    bool ok = false;
    const double value = numberLocale().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        raiseError(ErrTypeMismatch);
    return value;
}

int16_t parseInt16(const QString& text) {
    return toInt16(parseNumber(text));
}

float parseSingle(const QString& text) {
    const double value = parseNumber(text);
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        raiseError(ErrOverflow);
    return static_cast<float>(value);
}

QString formatInt(qint64 value) {
    return QString::number(value);
}

QString formatSingle(float value) {
    return numberLocale().toString(double(value), 'g', 7);
}

} // namespace platform
