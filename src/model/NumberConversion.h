#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace pelorin {

// Converts a typed count to a 16-bit number: surrounding spaces allowed, a fraction rounds to the
// nearest integer (halves to even), the result must lie in -32768..32767. nullopt for anything else.
// Full-width digits, signs and points, as a Chinese input method types them, count as their plain forms.
std::optional<std::int16_t> toNumber(QStringView text);

// True for a text that is a number in the notation toNumber reads but lies outside -32768..32767.
bool isOutOfRange(QStringView text);

// The text with full-width digits, signs, points and spaces turned into their plain forms.
QString plainDigits(QStringView text);

// Rounds to the nearest integer, halves to the even neighbour.
double roundHalfEven(double value);

} // namespace pelorin
