#pragma once

#include <QDateTime>
#include <QString>

// Text rules for the file names the candidate import prepares for the export.
namespace pelorin::importpaths {

// Removes spaces (only spaces) at both ends.
QString trimSpaces(const QString& text);

// The chosen path without its bare name and the separator before it: "D:\名单\企业.xls" -> "D:\名单".
QString folderOf(const QString& path, const QString& bareName);
// The separator and file name after folder: "D:\名单\企业.xls" with "D:\名单" -> "\企业.xls".
QString tailOf(const QString& path, const QString& folder);
// "yyyymmddhhmmss", 24-hour clock.
QString stampOf(const QDateTime& time);
// The part of a file name after its last ".", empty when there is none.
QString extensionOf(const QString& fileName);
// folder + tail up to its last "." + "_摇号导出（" + category + "）名单_" + stamp + "." + extension.
QString exportPathOf(const QString& folder, const QString& tail, const QString& categoryName, const QString& stamp,
                     const QString& extension);

} // namespace pelorin::importpaths
