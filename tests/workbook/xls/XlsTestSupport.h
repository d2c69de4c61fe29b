#pragma once

#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <optional>

namespace xlstest {

// Runs tests/workbook/xls/xls_tool.py under the system python (the one with xlrd and xlwt); nullopt when that
// python or its modules are missing.
std::optional<QByteArray> runTool(const QStringList& arguments);
bool toolAvailable();

// xlrd's view of a workbook, as the JSON written by "xls_tool.py dump".
std::optional<QJsonArray> xlrdDump(const QString& path);
// Our reader's result in the same JSON shape.
QJsonArray toJson(const pelorin::workbook::WorkbookData& data);

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// Small pieces for building workbook streams by hand.
QByteArray u16(quint16 v);
QByteArray u32(quint32 v);
QByteArray record(quint16 type, const QByteArray& body);
QByteArray bof(quint16 kind, quint16 version = 0x0600);
// A string with a 16-bit length and flags byte; one byte a character when every character fits.
QByteArray unicodeString(const QString& text);
// A workbook stream: globals (given records between BOF and BOUNDSHEET), one worksheet "S" with cellRecords.
QByteArray workbookStream(const QByteArray& globals, const QByteArray& cellRecords);
// The stream in a compound file under the name "Workbook".
QByteArray container(const QByteArray& stream);

} // namespace xlstest
