#pragma once

#include <QDateTime>
#include <QString>

namespace pelorin::exportnames {

// The heading written above a category's names: its display name and "名单：".
QString headingOf(const QString& categoryName);

// True when a typed name can stand in a file name on every desktop: none of \ / : * ? " < > |,
// no control character, and not only dots. An empty name is allowed.
bool isValidFileName(const QString& name);

// The message for a name that isValidFileName refuses.
QString invalidFileNameMessage();

// "<folder><separator><name>_摇号导出（<category>）名单_<stamp>.<extension>"; separator is taken from
// the tail of the imported file ("\企业.xls" gives "\").
QString exportAllPathOf(const QString& folder, const QString& tail, const QString& typedName,
                        const QString& categoryName, const QString& stamp, const QString& extension);

// Names offered in the save dialog when no candidate workbook was imported.
QString suggestedCategoryFileName(const QString& categoryName, const QDateTime& now);
QString suggestedAllFileName(const QString& typedName, const QString& categoryName, const QDateTime& now);

// The path chosen in the save dialog, with the extension of the selected filter (".xlsx" unless the
// .xls filter is selected) when it ends in neither ".xlsx" nor ".xls".
QString withWorkbookExtension(const QString& path, const QString& selectedFilter);

} // namespace pelorin::exportnames
