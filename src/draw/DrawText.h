#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace pelorin {

// i in decimal, led by as many "0" as the digits that count has more than i (at most six).
QString zeroPad(int i, int count);

// The name box line for sector i of count: "007_张三".
QString nameBoxText(int i, int count, const QString& name);

// The pointer step typed into the speed box: a whole number from 1 to 360, nullopt for anything else.
std::optional<std::int16_t> rollSpeedFrom(QStringView speedBox);

} // namespace pelorin
