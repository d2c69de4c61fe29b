#pragma once

#include "workbook/SheetCells.h"

#include <QString>
#include <algorithm>
#include <random>
#include <vector>

namespace sheetcheck {

using pelorin::workbook::CellKey;

// Compares a sheet whose cells turn into text when asked with the texts a whole read gives: the same cells, and
// the same text from every cell and from the empty places around them, asked in order, backwards and at random.
// Empty when they agree, otherwise the first difference.
inline QString differenceFromFullRead(const pelorin::workbook::SheetCells& cells,
                                      const std::map<CellKey, QString>& expected)
{
    if (cells.texts() != expected)
        return QStringLiteral("the cells listed differ");
    std::vector<CellKey> places;
    for (const auto& [key, text] : expected) {
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc)
                places.push_back({ key.first + dr, key.second + dc });
        }
    }
    places.push_back({ 0, 0 });
    places.push_back({ 1048575, 16383 });
    std::sort(places.begin(), places.end());
    std::vector<CellKey> backwards(places.rbegin(), places.rend());
    std::vector<CellKey> shuffled = places;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20240305));
    for (const auto* order : { &places, &backwards, &shuffled }) {
        for (const CellKey& key : *order) {
            const auto it = expected.find(key);
            const QString want = it == expected.end() ? QString() : it->second;
            const QString got = cells.text(key);
            if (got != want) {
                return QStringLiteral("cell %1,%2: \"%3\", the whole read gives \"%4\"")
                    .arg(key.first)
                    .arg(key.second)
                    .arg(got, want);
            }
        }
    }
    return {};
}

} // namespace sheetcheck
