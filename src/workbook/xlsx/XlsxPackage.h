#pragma once

#include "workbook/Expected.h"
#include "workbook/xlsx/XlsxXmlStream.h"
#include "workbook/xlsx/ZipArchive.h"

#include <QString>
#include <vector>

namespace pelorin::workbook::xlsx {

struct SheetRef
{
    QString name;
    QString part; // stored entry name
};

// Where the parts of a workbook package are, as stored in the archive; empty names for absent parts.
struct PackageLayout
{
    QString workbookPart;
    QString workbookRelsPart;
    QString sharedStringsPart;
    QString stylesPart;
    std::vector<SheetRef> worksheets; // worksheets only, in workbook order; chart sheets are skipped
    bool date1904 = false;
};

// Follows the package and workbook relationships to the workbook's parts.
Expected<PackageLayout> locateParts(ZipArchive& zip);

// Reads one part whole, with the archive's limits; empty text on success, otherwise the reason.
QString readPart(ZipArchive& zip, const QString& name, QByteArray& data);

// Parts at least this large inflate on a second thread while they are parsed; smaller ones on one thread, where
// a second would cost more than it saves.
constexpr qint64 kLargePartBytes = 1024 * 1024;

// Parses one part as it inflates, handing it to handler, with the archive's limits; empty text on success.
QString streamPart(ZipArchive& zip, const QString& name, XmlStreamHandler& handler);

} // namespace pelorin::workbook::xlsx
