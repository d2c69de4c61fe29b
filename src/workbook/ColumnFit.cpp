#include "workbook/ColumnFit.h"

#include <QString>
#include <algorithm>

namespace pelorin::workbook {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
        || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F)
        || (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

constexpr double kMaxWidth = 255.0;
constexpr double kPadding = 1.0;

} // namespace

int displayWidth(QStringView text)
{
    int widest = 0;
    int line = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c == u'\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (c == u'\r') {
            continue;
        } else {
            line += isWide(c) ? 2 : 1;
        }
    }
    return std::max(widest, line);
}

std::map<int, double> fitColumns(const std::map<CellKey, QString>& cells, const std::set<int>& columns)
{
    std::map<int, int> longest;
    for (const int column : columns)
        longest[column] = 0;
    for (const auto& [key, text] : cells) {
        const auto it = longest.find(key.second);
        if (it != longest.end())
            it->second = std::max(it->second, displayWidth(text));
    }
    std::map<int, double> widths;
    for (const auto& [column, chars] : longest) {
        if (chars > 0)
            widths[column] = std::min(kMaxWidth, chars + kPadding);
    }
    return widths;
}

} // namespace pelorin::workbook
