#pragma once

#include <QString>
#include <array>

namespace pelorin {

using Category = int; // 0..6

constexpr int CategoryCount = 7;

// One row of the fixed category table.
struct CategoryInfo
{
    const char* name; // display name, as in CategoryNames
    int tabControl; // 1: inspector tabs, 2: enterprise tabs
    int tabIndex;
    const char* tabCaption;
    const char* importCaption;
    const char* drawnCaption;
    const char* unitCaption;
};

extern const std::array<CategoryInfo, CategoryCount> CategoryTable;

// The seven display names, index 0 to 6.
QString categoryName(Category category);

} // namespace pelorin
