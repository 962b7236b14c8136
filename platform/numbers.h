#pragma once

#include <QString>

#include <cstdint>

// Checked arithmetic and conversions: an overflow raises error 6, it never wraps.
namespace platform {

double roundHalfEven(double value);

int16_t toInt16(double value); // nearest, halves to even; error 6 outside -32768..32767
int32_t toInt32(double value); // nearest, halves to even; error 6 outside the 32-bit range
uint8_t toByte(double value);  // nearest, halves to even; error 6 outside 0..255

int16_t mul16(int16_t a, int16_t b);
int16_t add16(int16_t a, int16_t b);
int16_t sub16(int16_t a, int16_t b);
int32_t mul32(int32_t a, int32_t b);
int32_t add32(int32_t a, int32_t b);

// Numbers read from text the same way in every locale: a decimal point, or a single decimal comma
// ("10,5"); no group separators; blanks around the number are ignored. Text that is not a number
// raises error 13.
double parseNumber(const QString& text);
int16_t parseInt16(const QString& text);
float parseSingle(const QString& text);

// Text forms: no leading blank; a float with at most 7 significant digits and no trailing zeros,
// with a decimal point in every locale.
QString formatInt(qint64 value);
QString formatSingle(float value);

} // namespace platform
