#pragma once

#include "workbook/WorkbookData.h"

#include <QString>
#include <map>
#include <set>
#include <vector>

namespace pelorin::workbook {

// One cell as the file stores it, before it is shown as text. Each format gives kind and value its own meaning.
struct StoredCell
{
    quint32 row = 0;
    quint16 column = 0;
    quint8 kind = 0;
    quint8 flags = 0;
    quint32 style = 0; // cell format index; for characters kept where they lie, their count
    union {
        double number;
        struct
        {
            quint32 at;
            quint32 size;
        } span; // where the value's bytes or characters are
        quint32 index;
        const char* characters; // in bytes that live as long as the sheet
    } value { 0.0 };

    quint64 place() const { return (quint64(row) << 16) | column; }
};

// A flag of StoredCell::flags, the same for both formats: the cell holds a formula saved without its result,
// as some programs write them. It shows no text; what it would show is unknown until a spreadsheet computes it.
constexpr quint8 kFormulaWithoutResult = 0x80;

// The cells of a worksheet as the file stores them. A cell becomes text only when it is asked for, so reading a
// workbook costs the scan of its records and no formatting of cells nobody looks at.
class SheetCells
{
public:
    virtual ~SheetCells() = default;

    // The text the spreadsheet shows in the cell; empty for an empty cell. Reading cells in order is fastest; it
    // remembers where the last search ended, so it is not for two threads at once.
    QString text(CellKey key) const;
    // True when the cell holds a formula saved without its result (its text is empty).
    bool lacksResult(CellKey key) const;
    // Every cell that shows a text, with its text; only those of the given columns when columns is not null.
    std::map<CellKey, QString> texts(const std::set<int>* columns = nullptr) const;
    // The sheet as plain texts.
    SheetData toSheetData() const;

    QString name;
    std::map<int, double> columnWidths; // column -> width in characters

protected:
    // Room for this many cells, so that a sheet read cell by cell is not moved in memory as it grows.
    void reserve(std::size_t cells) { m_cells.reserve(cells); }
    // Cells are added in file order; a later cell of the same place replaces an earlier one.
    void add(const StoredCell& cell) { m_cells.push_back(cell); }
    // Before finish: leaves out the cells for which drop is true.
    template <typename Drop> void dropIf(Drop drop) { std::erase_if(m_cells, drop); }
    // After the last add: puts the cells in place order, keeping the last of each place.
    void finish();
    // The text of a stored cell, as its format shows it.
    virtual QString show(const StoredCell& cell) const = 0;

private:
    const StoredCell* find(quint64 place) const;
    const StoredCell* find(CellKey key) const;

    std::vector<StoredCell> m_cells;
    // Where the last search ended: the next cell asked for is usually a little further on.
    mutable std::size_t m_hint = 0;
};

} // namespace pelorin::workbook
