#include "workbook/SheetCells.h"

#include <algorithm>

namespace pelorin::workbook {

namespace {

constexpr std::size_t kSteps = 16;

bool before(const StoredCell& a, const StoredCell& b)
{
    return a.place() < b.place();
}

} // namespace

void SheetCells::finish()
{
    const auto outOfOrder = [](const StoredCell& a, const StoredCell& b) { return !before(a, b); };
    if (std::adjacent_find(m_cells.begin(), m_cells.end(), outOfOrder) == m_cells.end())
        return;
    // Files almost always store cells in order; when not, the last cell of a place is the one that counts.
    std::stable_sort(m_cells.begin(), m_cells.end(), before);
    std::vector<StoredCell> kept;
    kept.reserve(m_cells.size());
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (i + 1 == m_cells.size() || m_cells[i + 1].place() != m_cells[i].place())
            kept.push_back(m_cells[i]);
    }
    m_cells = std::move(kept);
}

const StoredCell* SheetCells::find(quint64 place) const
{
    const std::size_t size = m_cells.size();
    std::size_t from = m_hint < size && m_cells[m_hint].place() <= place ? m_hint : 0;
    // A few steps on from the last cell found, then a binary search over the rest.
    const std::size_t stop = std::min(size, from + kSteps);
    while (from < stop && m_cells[from].place() < place)
        ++from;
    if (from == stop && from < size) {
        const auto it = std::lower_bound(m_cells.begin() + std::ptrdiff_t(from), m_cells.end(), place,
                                         [](const StoredCell& cell, quint64 p) { return cell.place() < p; });
        from = std::size_t(it - m_cells.begin());
    }
    m_hint = from;
    return from < size && m_cells[from].place() == place ? &m_cells[from] : nullptr;
}

const StoredCell* SheetCells::find(CellKey key) const
{
    if (key.first < 0 || key.second < 0 || key.second > 0xFFFF)
        return nullptr;
    return find((quint64(quint32(key.first)) << 16) | quint32(key.second));
}

QString SheetCells::text(CellKey key) const
{
    const StoredCell* cell = find(key);
    return cell && !(cell->flags & kFormulaWithoutResult) ? show(*cell) : QString();
}

bool SheetCells::lacksResult(CellKey key) const
{
    const StoredCell* cell = find(key);
    return cell && (cell->flags & kFormulaWithoutResult);
}

std::map<CellKey, QString> SheetCells::texts(const std::set<int>* columns) const
{
    std::map<CellKey, QString> out;
    for (const StoredCell& cell : m_cells) {
        if ((columns && !columns->contains(cell.column)) || (cell.flags & kFormulaWithoutResult))
            continue;
        QString text = show(cell);
        if (!text.isEmpty())
            out.emplace_hint(out.end(), CellKey { int(cell.row), int(cell.column) }, std::move(text));
    }
    return out;
}

SheetData SheetCells::toSheetData() const
{
    return SheetData { name, texts(), columnWidths };
}

} // namespace pelorin::workbook
