#include "model/ShuffleSeed.h"

#include <QByteArray>

namespace pelorin {

QString ShuffleSeed::hex() const
{
    const QByteArray raw(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return QString::fromLatin1(raw.toHex());
}

std::optional<ShuffleSeed> ShuffleSeed::fromHex(QStringView text)
{
    if (text.size() != static_cast<qsizetype>(2 * Size))
        return std::nullopt;
    ShuffleSeed seed;
    for (std::size_t i = 0; i < Size; ++i) {
        int byte = 0;
        for (int half = 0; half < 2; ++half) {
            const char16_t c = text[static_cast<qsizetype>(2 * i) + half].unicode();
            int digit = -1;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit < 0)
                return std::nullopt;
            byte = byte * 16 + digit;
        }
        seed.bytes[i] = static_cast<std::uint8_t>(byte);
    }
    return seed;
}

} // namespace pelorin
