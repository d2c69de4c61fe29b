#include "model/Categories.h"

namespace pelorin {

const std::array<CategoryInfo, CategoryCount> CategoryTable = { {
    { "组长", 1, 0, "摇组长", "提供组长名单", "摇中组长", "人" },
    { "副组长", 1, 1, "摇副组长", "提供副组长名单", "摇中副组长", "人" },
    { "成员", 1, 2, "摇成员", "提供成员名单", "摇中成员", "人" },
    { "重点企业", 2, 0, "摇重点企业单位", "提供重点企业", "摇中重点企业", "个" },
    { "一般企业", 2, 1, "摇一般企业单位", "提供一般企业", "摇中一般企业", "个" },
    { "其它企业", 2, 2, "摇其它企业单位", "提供其它企业", "摇中其它企业", "个" },
    // The free list's drawn-count label repeats the caption of category 5.
    { "摇号名单", 1, 3, "通用随机摇号", "提供摇号名单", "摇中其它企业", "个" },
} };

QString categoryName(Category category)
{
    return QString::fromUtf8(CategoryTable.at(static_cast<std::size_t>(category)).name);
}

} // namespace pelorin
