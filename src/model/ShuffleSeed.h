#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace pelorin {

// The 32 bytes a shuffle's picks are derived from. Kept with the shuffle, so that its order can be
// recomputed from the list and the seed.
struct ShuffleSeed
{
    static constexpr std::size_t Size = 32;
    std::array<std::uint8_t, Size> bytes {};

    // 64 lower-case hexadecimal digits.
    QString hex() const;
    // nullopt unless text is exactly 64 hexadecimal digits.
    static std::optional<ShuffleSeed> fromHex(QStringView text);

    friend bool operator==(const ShuffleSeed&, const ShuffleSeed&) = default;
};

} // namespace pelorin
