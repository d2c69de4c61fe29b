#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace pelorin {

// The first worksheet of an open workbook; cells are addressed by A1 references ("B2").
class ISheet
{
public:
    virtual ~ISheet() = default;

    // The cell's value as the spreadsheet shows it; empty for an empty cell or a bad reference.
    virtual QString cellText(const QString& a1) const = 0;
    // True when the cell holds a formula that was saved without its result, as some programs write workbooks:
    // its text is empty until a spreadsheet program computes it.
    virtual bool lacksFormulaResult(const QString& /*a1*/) const { return false; }
    // Sets the cell's value to text; false for a bad reference.
    virtual bool setCellText(const QString& a1, const QString& text) = 0;
    // Fits the width of every written column to its longest text.
    virtual void autoFitColumns() = 0;
};

class IWorkbookDocument
{
public:
    virtual ~IWorkbookDocument() = default;

    // The first worksheet; nullptr when the workbook has none.
    virtual ISheet* firstSheet() = 0;
    // Saves a copy under path, in the format its extension names (.xls or .xlsx).
    // On failure returns false, sets error to the reason, and leaves no file at path.
    virtual bool saveAs(const QString& path, QString* error) = 0;
};

// Stands in for the spreadsheet application: opens workbooks for reading and writing.
class ISpreadsheet
{
public:
    virtual ~ISpreadsheet() = default;

    // False when the component cannot be created at all.
    virtual bool isAvailable() const = 0;
    // Opens the workbook at path; nullptr with error set when it cannot be read.
    virtual std::unique_ptr<IWorkbookDocument> open(const QString& path, QString* error) = 0;
    // Opens it for reading the cells of these columns (0 for A) of its first worksheet, as open does, where
    // reading less is faster. The other cells may read empty, so the workbook is not for writing or saving.
    virtual std::unique_ptr<IWorkbookDocument> openColumns(const QString& path, const std::vector<int>& columns,
                                                           QString* error)
    {
        static_cast<void>(columns);
        return open(path, error);
    }
};

} // namespace pelorin
