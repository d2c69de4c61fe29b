#include "workbook/xlsx/XlsxSheetFill.h"

#include "workbook/CellAddress.h"
#include "workbook/xlsx/XlsxXml.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace pelorin::workbook::xlsx {

namespace {

// Element order of a worksheet, as far as the parts written here need it.
const char* const kBeforeDimension[] = { "sheetPr" };
const char* const kBeforeCols[] = { "sheetPr", "dimension", "sheetViews", "sheetFormatPr" };
const char* const kBeforeSheetData[] = { "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols" };

template <size_t N>
pugi::xml_node insertInOrder(pugi::xml_node parent, const std::string& name, const char* const (&predecessors)[N])
{
    pugi::xml_node after;
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element)
            continue;
        const char* local = localName(n.name());
        if (std::any_of(std::begin(predecessors), std::end(predecessors),
                        [local](const char* p) { return std::strcmp(p, local) == 0; }))
            after = n;
    }
    if (after)
        return parent.insert_child_after(name.c_str(), after);
    return parent.prepend_child(name.c_str());
}

bool parseKey(const char* reference, CellKey& key)
{
    const auto parsed = parseA1(QString::fromLatin1(reference));
    if (!parsed)
        return false;
    key = *parsed;
    return true;
}

struct RowEntry
{
    pugi::xml_node node;
    std::map<int, pugi::xml_node> cells;
    bool indexed = false;
};

class SheetEditor
{
public:
    explicit SheetEditor(pugi::xml_node root)
        : m_root(root)
    {
        const char* name = root.name();
        const char* local = localName(name);
        m_prefix.assign(name, local);
        m_sheetData = child(root, "sheetData");
        if (!m_sheetData)
            m_sheetData = insertInOrder(root, m_prefix + "sheetData", kBeforeSheetData);
        indexRows();
    }

    void write(CellKey key, const QString& value)
    {
        RowEntry& row = rowFor(key.first);
        pugi::xml_node cell = cellFor(row, key);
        for (pugi::xml_node n = cell.first_child(); n;) {
            const pugi::xml_node next = n.next_sibling();
            if (isNamed(n, "f") && std::strcmp(attribute(n, "t").value(), "shared") == 0 && attribute(n, "ref"))
                m_lostSharedFormulas.insert(attribute(n, "si").as_int(-1));
            cell.remove_child(n);
            n = next;
        }
        for (const char* name : { "t", "cm", "vm", "ph" })
            cell.remove_attribute(name);
        if (value.isEmpty())
            return;
        cell.append_attribute("t").set_value("inlineStr");
        pugi::xml_node is = cell.append_child((m_prefix + "is").c_str());
        setInlineText(is.append_child((m_prefix + "t").c_str()), value);
    }

    // Cells that shared a formula with an overwritten cell keep their values but lose the formula
    // they can no longer resolve; the used range is measured for the dimension.
    void finish()
    {
        int minRow = -1, maxRow = -1, minColumn = -1, maxColumn = -1;
        for (pugi::xml_node row = m_sheetData.first_child(); row; row = row.next_sibling()) {
            for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
                CellKey key;
                if (!isNamed(cell, "c") || !parseKey(attribute(cell, "r").value(), key))
                    continue;
                minRow = minRow < 0 ? key.first : std::min(minRow, key.first);
                maxRow = std::max(maxRow, key.first);
                minColumn = minColumn < 0 ? key.second : std::min(minColumn, key.second);
                maxColumn = std::max(maxColumn, key.second);
                if (m_lostSharedFormulas.empty())
                    continue;
                const pugi::xml_node f = child(cell, "f");
                if (f && std::strcmp(attribute(f, "t").value(), "shared") == 0
                    && m_lostSharedFormulas.count(attribute(f, "si").as_int(-1)))
                    cell.remove_child(f);
            }
        }
        QString ref = QStringLiteral("A1");
        if (minRow >= 0) {
            ref = toA1({ minRow, minColumn });
            if (maxRow != minRow || maxColumn != minColumn)
                ref += u':' + toA1({ maxRow, maxColumn });
        }
        pugi::xml_node dimension = child(m_root, "dimension");
        if (!dimension)
            dimension = insertInOrder(m_root, m_prefix + "dimension", kBeforeDimension);
        pugi::xml_attribute attr = attribute(dimension, "ref");
        if (!attr)
            attr = dimension.append_attribute("ref");
        attr.set_value(ref.toLatin1().constData());
    }

    void setWidths(const std::map<int, double>& widths);

private:
    void indexRows()
    {
        int last = -1;
        for (pugi::xml_node row = m_sheetData.first_child(); row; row = row.next_sibling()) {
            if (!isNamed(row, "row"))
                continue;
            const int r = attribute(row, "r").as_int(0);
            if (r >= 1 && r <= 1048576) {
                last = r - 1;
            } else {
                // Rows without a number follow the previous one; they get it written out so that
                // rows inserted before them keep their meaning.
                ++last;
                row.remove_attribute("r");
                row.prepend_attribute("r").set_value(last + 1);
            }
            const auto [it, added] = m_rows.try_emplace(last, RowEntry { row, {}, false });
            if (!added) {
                // A repeated row number: its cells join the first row of that number.
                while (pugi::xml_node cell = row.first_child())
                    it->second.node.append_move(cell);
                m_duplicates.push_back(row);
            }
        }
        for (const pugi::xml_node& row : m_duplicates)
            m_sheetData.remove_child(row);
        m_duplicates.clear();
        // Rows out of order are put in order, so that rows inserted later land in the right place.
        for (auto& [r, entry] : m_rows)
            m_sheetData.append_move(entry.node);
    }

    RowEntry& rowFor(int r)
    {
        auto it = m_rows.find(r);
        if (it != m_rows.end()) {
            it->second.node.remove_attribute("spans");
            return it->second;
        }
        const auto next = m_rows.upper_bound(r);
        const std::string name = m_prefix + "row";
        pugi::xml_node node = next == m_rows.end() ? m_sheetData.append_child(name.c_str())
                                                   : m_sheetData.insert_child_before(name.c_str(), next->second.node);
        node.append_attribute("r").set_value(r + 1);
        return m_rows.emplace(r, RowEntry { node, {}, true }).first->second;
    }

    pugi::xml_node cellFor(RowEntry& row, CellKey key)
    {
        if (!row.indexed) {
            int column = -1;
            for (pugi::xml_node cell = row.node.first_child(); cell; cell = cell.next_sibling()) {
                if (!isNamed(cell, "c"))
                    continue;
                CellKey at;
                if (parseKey(attribute(cell, "r").value(), at) && at.first == key.first) {
                    column = at.second;
                } else {
                    ++column;
                    cell.remove_attribute("r");
                    cell.prepend_attribute("r").set_value(toA1({ key.first, column }).toLatin1().constData());
                }
                if (!row.cells.try_emplace(column, cell).second)
                    m_duplicates.push_back(cell);
            }
            for (const pugi::xml_node& cell : m_duplicates)
                row.node.remove_child(cell);
            m_duplicates.clear();
            for (auto& [column, cell] : row.cells)
                row.node.append_move(cell);
            row.indexed = true;
        }
        if (const auto it = row.cells.find(key.second); it != row.cells.end())
            return it->second;
        const auto next = row.cells.upper_bound(key.second);
        const std::string name = m_prefix + "c";
        pugi::xml_node cell = next == row.cells.end() ? row.node.append_child(name.c_str())
                                                      : row.node.insert_child_before(name.c_str(), next->second);
        cell.append_attribute("r").set_value(toA1(key).toLatin1().constData());
        row.cells.emplace(key.second, cell);
        return cell;
    }

    pugi::xml_node m_root;
    pugi::xml_node m_sheetData;
    std::string m_prefix;
    std::map<int, RowEntry> m_rows;
    std::set<int> m_lostSharedFormulas;
    std::vector<pugi::xml_node> m_duplicates;
};

using Attributes = std::vector<std::pair<std::string, std::string>>;

struct ColumnRange
{
    int first;
    int last;
    Attributes attributes;
};

void setAttribute(Attributes& attributes, const char* name, const std::string& value)
{
    for (auto& [key, v] : attributes) {
        if (key == name) {
            v = value;
            return;
        }
    }
    attributes.emplace_back(name, value);
}

void SheetEditor::setWidths(const std::map<int, double>& widths)
{
    if (widths.empty())
        return;
    std::vector<ColumnRange> ranges;
    std::map<int, Attributes> written;
    for (const auto& [column, width] : widths)
        written[column + 1] = {};
    pugi::xml_node cols;
    for (pugi::xml_node n = m_root.first_child(); n;) {
        const pugi::xml_node next = n.next_sibling();
        if (isNamed(n, "cols")) {
            for (pugi::xml_node col = n.first_child(); col; col = col.next_sibling()) {
                if (!isNamed(col, "col"))
                    continue;
                const int first = std::clamp(attribute(col, "min").as_int(1), 1, 16384);
                const int last = std::clamp(attribute(col, "max").as_int(first), first, 16384);
                Attributes attributes;
                for (pugi::xml_attribute a = col.first_attribute(); a; a = a.next_attribute()) {
                    if (std::strcmp(a.name(), "min") != 0 && std::strcmp(a.name(), "max") != 0)
                        attributes.emplace_back(a.name(), a.value());
                }
                // Split the range around the written columns, which take its other attributes.
                int start = first;
                for (auto it = written.lower_bound(first); it != written.end() && it->first <= last; ++it) {
                    if (it->first > start)
                        ranges.push_back({ start, it->first - 1, attributes });
                    it->second = attributes;
                    start = it->first + 1;
                }
                if (start <= last)
                    ranges.push_back({ start, last, attributes });
            }
            if (!cols)
                cols = n;
            else
                m_root.remove_child(n);
        }
        n = next;
    }
    for (auto& [column, attributes] : written) {
        const double width = std::clamp(widths.at(column - 1), 0.0, kMaxColumnWidth);
        setAttribute(attributes, "width", QString::number(width, 'g', 6).toStdString());
        setAttribute(attributes, "customWidth", "1");
        ranges.push_back({ column, column, attributes });
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const ColumnRange& a, const ColumnRange& b) { return a.first < b.first; });
    if (cols)
        cols.remove_children();
    else
        cols = insertInOrder(m_root, m_prefix + "cols", kBeforeCols);
    for (const ColumnRange& range : ranges) {
        pugi::xml_node col = cols.append_child((m_prefix + "col").c_str());
        col.append_attribute("min").set_value(range.first);
        col.append_attribute("max").set_value(range.last);
        for (const auto& [name, value] : range.attributes)
            col.append_attribute(name.c_str()).set_value(value.c_str());
    }
}

} // namespace

void setInlineText(pugi::xml_node textElement, const QString& text)
{
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace() || text.contains(u'\n')))
        textElement.append_attribute("xml:space").set_value("preserve");
    textElement.append_child(pugi::node_pcdata).set_value(encodeEscapes(text).toUtf8().constData());
}

void fillSheet(pugi::xml_document& sheet, const CellEdits& edits, const std::map<int, double>& columnWidths)
{
    SheetEditor editor(sheet.document_element());
    for (const auto& [key, value] : edits)
        editor.write(key, value);
    editor.finish();
    editor.setWidths(columnWidths);
}

} // namespace pelorin::workbook::xlsx
