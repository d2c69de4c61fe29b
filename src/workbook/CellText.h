#pragma once

#include <QString>
#include <QStringView>

namespace pelorin::workbook {

// How a number shows in a cell of the General format: whole numbers without decimals ("12"),
// others in their shortest form that reads back the same, at most 15 significant digits.
QString numberText(double value);

// A date serial as year/month/day ("2024/3/5"), with " h:mm" when it has a time of day.
// date1904 selects the 1904 date system of some workbooks.
QString dateText(double serial, bool date1904 = false);

// True when a number format shows dates: the built-in date formats, or a format code with
// date or time letters outside quotes and brackets.
bool isDateFormat(int formatId, QStringView formatCode);

} // namespace pelorin::workbook
