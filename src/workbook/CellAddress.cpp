#include "workbook/CellAddress.h"

namespace pelorin::workbook {

std::optional<CellKey> parseA1(QStringView reference)
{
    qsizetype i = 0;
    long long column = 0;
    // Column letters are ASCII; their case does not matter.
    for (; i < reference.size(); ++i) {
        const char16_t c = reference[i].unicode() & ~char16_t(0x20);
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
        if (column > 16384)
            return std::nullopt;
    }
    if (i == 0 || i == reference.size())
        return std::nullopt;
    long long row = 0;
    for (; i < reference.size(); ++i) {
        const QChar c = reference[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        row = row * 10 + (c.unicode() - u'0');
        if (row > 1048576)
            return std::nullopt;
    }
    if (row < 1)
        return std::nullopt;
    return CellKey { static_cast<int>(row - 1), static_cast<int>(column - 1) };
}

QString columnName(int column)
{
    QString name;
    int n = column + 1;
    while (n > 0) {
        const int rem = (n - 1) % 26;
        name.prepend(QChar(u'A' + rem));
        n = (n - 1) / 26;
    }
    return name;
}

QString toA1(CellKey key)
{
    return columnName(key.second) + QString::number(key.first + 1);
}

} // namespace pelorin::workbook
