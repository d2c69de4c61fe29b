#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace pelorin::test {

// Chi-square of item against position over many shuffles of the items "0" .. "n-1": each position's column
// is a multinomial over n items, so the sum has n(n - 1) degrees of freedom.
inline double positionChiSquare(int n, int runs, const std::function<QStringList(const QStringList&)>& shuffle)
{
    QStringList items;
    for (int i = 0; i < n; ++i)
        items.append(QString::number(i));
    std::vector<std::vector<int>> counts(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n)));
    for (int r = 0; r < runs; ++r) {
        const QStringList out = shuffle(items);
        for (int pos = 0; pos < n; ++pos)
            ++counts[static_cast<std::size_t>(out[pos].toInt())][static_cast<std::size_t>(pos)];
    }
    const double expected = double(runs) / n;
    double chi = 0;
    for (const auto& row : counts)
        for (int c : row)
            chi += (c - expected) * (c - expected) / expected;
    return chi;
}

} // namespace pelorin::test
