#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace pelorin {

// Converts a typed count to a 16-bit number: surrounding spaces allowed, a fraction rounds to the
// nearest integer (halves to even), the result must lie in -32768..32767. nullopt for anything else.
std::optional<std::int16_t> toNumber(QStringView text);

// Rounds to the nearest integer, halves to the even neighbour.
double roundHalfEven(double value);

} // namespace pelorin
