#pragma once

#include <QString>

namespace pelorin::text {

// The main window's caption, also the title of most message boxes.
inline QString windowCaption()
{
    return QStringLiteral("Pelorinv1.0_PC版");
}

} // namespace pelorin::text

namespace pelorin::links {

// Fixed web addresses behind the link buttons of the bottom bar.
inline QString templateDownload()
{
    return QStringLiteral("https://pelorin.example.org/download/export-template.xlsx");
}
inline QString updateDownload()
{
    return QStringLiteral("https://pelorin.example.org/download/");
}
inline QString onlineEdition()
{
    return QStringLiteral("https://pelorin.example.org/online/");
}

} // namespace pelorin::links
