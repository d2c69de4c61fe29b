#pragma once

#include <QFont>

namespace pelorin::fonts {

// Maps the faces the program asks for ("宋体", "仿宋_GB2312", "Arial") to installed faces where those are missing.
void installSubstitutions();

// "宋体" at a point size, regular or bold.
QFont song(double points, bool bold = false);
QFont fangSong(double points);

} // namespace pelorin::fonts
