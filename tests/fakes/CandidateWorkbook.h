#pragma once

#include "platform/ISpreadsheet.h"
#include "workbook/Spreadsheet.h"

#include <QString>
#include <QStringList>

namespace pelorin::test {

// A workbook as clerks keep them: a heading in row 1, numbers in column A, the names in column B below.
// Written through the spreadsheet component's front from the shipped template.
inline bool writeCandidateWorkbook(const QString& path, const QStringList& names)
{
#ifdef PELORIN_SOURCE_DIR
    workbook::Spreadsheet spreadsheet;
    QString error;
    const auto document = spreadsheet.open(QStringLiteral(PELORIN_SOURCE_DIR "/data/export.xlsx"), &error);
    ISheet* sheet = document ? document->firstSheet() : nullptr;
    if (!sheet)
        return false;
    sheet->setCellText(QStringLiteral("A1"), QStringLiteral("序号"));
    sheet->setCellText(QStringLiteral("B1"), QStringLiteral("企业名称"));
    for (int k = 0; k < names.size(); ++k) {
        sheet->setCellText(QStringLiteral("A%1").arg(k + 2), QString::number(k + 1));
        sheet->setCellText(QStringLiteral("B%1").arg(k + 2), names[k]);
    }
    return document->saveAs(path, &error);
#else
    Q_UNUSED(path);
    Q_UNUSED(names);
    return false;
#endif
}

} // namespace pelorin::test
