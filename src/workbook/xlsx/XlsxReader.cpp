#include "workbook/xlsx/XlsxReader.h"

#include "workbook/CellText.h"
#include "workbook/SheetCells.h"
#include "workbook/xlsx/XlsxPackage.h"
#include "workbook/xlsx/XlsxXml.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace pelorin::workbook {

using namespace xlsx;

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
// A declared size is believed for reserving room for at most this many cells.
constexpr qint64 kMaxReservedCells = 1 << 22;

// Compares a name with a literal; the fixed length lets the compiler do it without a library call.
template <size_t N> bool named(std::string_view name, const char (&literal)[N])
{
    return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

QString utf8Text(std::string_view s)
{
    return xlsx::fromUtf8(s);
}

// Text that may hold _xHHHH_ escapes; most holds none, and the bytes tell that before any conversion.
QString escapedText(std::string_view utf8)
{
    const QString text = utf8Text(utf8);
    return utf8.find("_x") == std::string_view::npos ? text : decodeEscapes(text);
}

// True when the bytes show as no text at all: none, or a byte order mark alone, which the conversion drops (any
// other bytes give at least one character). Escapes never turn a text empty, so this holds for escaped text too.
bool showsNothing(std::string_view utf8)
{
    return utf8.empty()
        || (utf8.size() <= 3 && static_cast<unsigned char>(utf8.front()) == 0xEF && utf8Text(utf8).isEmpty());
}

// Collects the text of a string item (<si> or <is>) from the events under it: plain text or rich-text runs;
// phonetic runs are not part of it. The text is appended to a buffer the caller keeps. Depths count from the
// root element, which is 1.
class StringItem
{
public:
    void begin(int depth, std::string& out)
    {
        m_depth = depth;
        m_textDepth = 0;
        m_inRun = false;
        m_out = &out;
    }
    void start(int depth, std::string_view name)
    {
        if (depth == m_depth + 1) {
            m_inRun = named(name, "r");
            if (named(name, "t"))
                m_textDepth = depth;
        } else if (depth == m_depth + 2 && m_inRun && named(name, "t")) {
            m_textDepth = depth;
        }
    }
    void end(int depth)
    {
        if (depth == m_textDepth)
            m_textDepth = 0;
        if (depth == m_depth + 1)
            m_inRun = false;
    }
    void text(int depth, std::string_view utf8)
    {
        if (m_textDepth != 0 && depth == m_textDepth)
            m_out->append(utf8);
    }

private:
    int m_depth = 0;
    int m_textDepth = 0;
    bool m_inRun = false;
    std::string* m_out = nullptr;
};

// "B12" -> (11, 1); false for anything else.
bool parseReference(std::string_view s, CellKey& key)
{
    int column = 0;
    size_t i = 0;
    for (; i < s.size() && ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z')); ++i) {
        column = column * 26 + ((s[i] | 0x20) - 'a' + 1);
        if (column > kMaxColumns)
            return false;
    }
    if (i == 0 || i == s.size())
        return false;
    int row = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        row = row * 10 + (s[i] - '0');
        if (row > kMaxRows)
            return false;
    }
    if (i != s.size() || row < 1)
        return false;
    key = { row - 1, column - 1 };
    return true;
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool parseNumber(std::string_view s, double& value)
{
    while (!s.empty() && isXmlSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isXmlSpace(s.back()))
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    const char* end = s.data() + s.size();
    const auto result = std::from_chars(s.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !s.empty();
}

// An integer attribute read the way the document reader reads one: leading spaces and a sign allowed,
// "0x" for hexadecimal, digits up to the first other character, clamped to int; fallback when absent.
int intAttribute(const XmlAttribute* attribute, int fallback)
{
    if (!attribute)
        return fallback;
    std::string_view s = attribute->value;
    // Most are a few plain digits.
    if (!s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int value = 0;
        for (const char c : s)
            value = value * 10 + (c - '0');
        return value;
    }
    while (!s.empty() && isXmlSpace(s.front()))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    long long value = 0;
    for (const char c : s) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            d = (c | 0x20) - 'a' + 10;
        if (d < 0)
            break;
        value = std::min<long long>(value * base + d, 1LL << 32);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

QString isoDateText(const QString& iso)
{
    QDateTime when = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!when.isValid())
        when = QDateTime(QDate::fromString(iso, Qt::ISODate), QTime(0, 0));
    if (!when.isValid())
        return iso;
    const QDate d = when.date();
    QString out = QStringLiteral("%1/%2/%3").arg(d.year()).arg(d.month()).arg(d.day());
    const QTime t = when.time();
    if (t.hour() != 0 || t.minute() != 0)
        out += QStringLiteral(" %1:%2").arg(t.hour()).arg(t.minute(), 2, 10, QLatin1Char('0'));
    return out;
}

struct Styles
{
    std::vector<bool> dateXf; // cell format index -> shows a date
};

Styles readStyles(const pugi::xml_document& doc)
{
    Styles styles;
    const pugi::xml_node root = doc.document_element();
    std::map<int, QString> codes;
    for (pugi::xml_node f = child(child(root, "numFmts"), "numFmt"); f; f = f.next_sibling()) {
        if (isNamed(f, "numFmt"))
            codes[attribute(f, "numFmtId").as_int(-1)] = text(attribute(f, "formatCode").value());
    }
    for (pugi::xml_node xf = child(child(root, "cellXfs"), "xf"); xf; xf = xf.next_sibling()) {
        if (!isNamed(xf, "xf"))
            continue;
        const int id = attribute(xf, "numFmtId").as_int(0);
        const auto code = codes.find(id);
        styles.dateXf.push_back(isDateFormat(id, code == codes.end() ? QString() : code->second));
    }
    return styles;
}

// At most this many shared strings, of at most this many bytes in all, are turned into text ahead of need.
constexpr std::size_t kDecodedAhead = 1 << 16;
constexpr std::size_t kDecodedAheadBytes = 16 << 20;

// A run of shared strings as UTF-8, one after the other: string i is bytes[starts[i], starts[i + 1]). They may be
// there as text as well, when a thread had the time to turn them into text ahead of need.
struct SharedStringRun
{
    std::string bytes;
    std::vector<quint32> starts { 0 };
    std::vector<QString> decoded;

    std::size_t size() const { return starts.size() - 1; }
    std::string_view at(std::size_t i) const
    {
        return std::string_view(bytes).substr(starts[i], starts[i + 1] - starts[i]);
    }
    void decode()
    {
        decoded.reserve(size());
        for (std::size_t i = 0; i < size(); ++i)
            decoded.push_back(escapedText(at(i)));
    }
};

// The shared string table, in runs of a fixed number of strings. The thread that reads the table fills the last
// run; a full run never changes again, so that while the table is still being read, the threads that wait for it
// turn its full runs into text. Everything but the reading and decodeAhead is for after the reading has ended.
class SharedStrings
{
public:
    static constexpr std::size_t kRunStrings = 2048;

    SharedStrings()
    {
        m_runs.push_back(std::make_unique<SharedStringRun>());
        m_filling = m_runs.back().get();
    }
    SharedStrings(const SharedStrings&) = delete;
    SharedStrings& operator=(const SharedStrings&) = delete;

    // Where the reading thread puts the bytes of the string being read.
    std::string& filling() { return m_filling->bytes; }
    // The string being read has ended; its index. A full run is handed to the threads that wait.
    std::size_t ended()
    {
        m_filling->starts.push_back(static_cast<quint32>(m_filling->bytes.size()));
        if (m_filling->size() == kRunStrings) {
            auto next = std::make_unique<SharedStringRun>();
            std::lock_guard lock(m_mutex);
            m_filling = next.get();
            m_runs.push_back(std::move(next));
            m_handedOver.notify_all();
        }
        return m_ended++;
    }
    // The reading has ended, well or not: the last run is handed over too.
    void readingEnded()
    {
        std::lock_guard lock(m_mutex);
        m_readingEnded = true;
        m_handedOver.notify_all();
    }
    // Turns the runs handed over into text, each on the thread that takes it first, until the limits for text
    // made ahead of need are reached or no run is left; with untilRead, also the runs still to come, until the
    // reading ends.
    void decodeAhead(bool untilRead)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            const std::size_t full = m_readingEnded ? m_runs.size() : m_runs.size() - 1;
            if (m_taken < full && !m_limitReached) {
                SharedStringRun& run = *m_runs[m_taken++];
                m_decodedBytes += run.bytes.size();
                if (m_taken * kRunStrings > kDecodedAhead || m_decodedBytes > kDecodedAheadBytes) {
                    m_limitReached = true;
                    continue;
                }
                lock.unlock();
                run.decode();
                lock.lock();
                continue;
            }
            if (m_readingEnded || m_limitReached || !untilRead)
                return;
            m_handedOver.wait(lock);
        }
    }

    std::size_t size() const { return (m_runs.size() - 1) * kRunStrings + m_runs.back()->size(); }
    std::string_view at(std::size_t i) const { return m_runs[i / kRunStrings]->at(i % kRunStrings); }
    QString text(std::size_t i) const
    {
        const SharedStringRun& run = *m_runs[i / kRunStrings];
        const std::size_t k = i % kRunStrings;
        return k < run.decoded.size() ? run.decoded[k] : escapedText(run.at(k));
    }

private:
    std::vector<std::unique_ptr<SharedStringRun>> m_runs; // grows under the lock
    SharedStringRun* m_filling = nullptr; // the reading thread's alone
    std::size_t m_ended = 0; // the reading thread's alone
    std::mutex m_mutex;
    std::condition_variable m_handedOver; // a run was handed over, or the reading ended
    std::size_t m_taken = 0; // the runs before this one were taken to be turned into text
    std::size_t m_decodedBytes = 0;
    bool m_limitReached = false;
    bool m_readingEnded = false;
};

// What every worksheet of the workbook needs to show its cells.
struct ReadContext
{
    SharedStrings sharedStrings;
    Styles styles;
    bool date1904 = false;
};

// The t attribute of a cell; a cell stores its type as its kind.
enum class CellType : quint8
{
    Number,
    Shared,
    Inline,
    Formula,
    Boolean,
    Error,
    Date
};

CellType cellType(const XmlAttribute* attribute)
{
    const std::string_view t = attribute ? attribute->value : std::string_view();
    if (t.size() == 1) {
        switch (t[0]) {
        case 's':
            return CellType::Shared;
        case 'b':
            return CellType::Boolean;
        case 'e':
            return CellType::Error;
        case 'd':
            return CellType::Date;
        default:
            return CellType::Number;
        }
    }
    if (named(t, "inlineStr"))
        return CellType::Inline;
    if (named(t, "str"))
        return CellType::Formula;
    return CellType::Number;
}

// Reads the shared string table as it streams: every <si> under the root, in order.
class SharedStringsReader final : public XmlStreamHandler
{
public:
    explicit SharedStringsReader(SharedStrings& strings)
        : m_strings(strings)
    {
    }

    void startElement(std::string_view name, std::span<const XmlAttribute>) override
    {
        const int depth = ++m_depth;
        if (depth == 1)
            m_inRoot = !m_rootDone;
        else if (depth == 2 && m_inRoot && named(name, "si")) {
            m_item.begin(depth, m_strings.filling());
            m_inItem = true;
        } else if (m_inItem)
            m_item.start(depth, name);
    }
    void endElement() override
    {
        const int depth = m_depth--;
        if (depth == 1 && m_inRoot) {
            m_inRoot = false;
            m_rootDone = true;
        } else if (depth == 2 && m_inItem) {
            m_strings.ended();
            m_inItem = false;
        } else if (m_inItem) {
            m_item.end(depth);
        }
    }
    void text(std::string_view utf8) override
    {
        if (m_inItem)
            m_item.text(m_depth, utf8);
    }

private:
    SharedStrings& m_strings;
    StringItem m_item;
    int m_depth = 0;
    bool m_inRoot = false;
    bool m_rootDone = false;
    bool m_inItem = false;
};

// The cells of one worksheet as stored: values as their bytes in the file, shown as text when asked for.
class XlsxSheetCells final : public SheetCells
{
public:
    explicit XlsxSheetCells(std::shared_ptr<const ReadContext> context)
        : m_context(std::move(context))
    {
    }

    const ReadContext& context() const { return *m_context; }
    void reserve(std::size_t cells, std::size_t bytes)
    {
        SheetCells::reserve(cells);
        m_bytes.reserve(bytes);
    }
    // The bytes of the sheet's own values; a cell's value.span points into them.
    std::string& bytes() { return m_bytes; }
    // The texts of its inline strings, which a cell's value.index names.
    SharedStrings& inlineStrings() { return m_inlineStrings; }
    void store(const StoredCell& cell) { add(cell); }
    // Once the shared strings are read: a cell that names none, or one that shows nothing, is no cell, and does
    // not replace an earlier one of its place.
    void done()
    {
        const SharedStrings& strings = m_context->sharedStrings;
        dropIf([&strings](const StoredCell& cell) {
            return static_cast<CellType>(cell.kind) == CellType::Shared && !(cell.flags & kFormulaWithoutResult)
                && (cell.value.index >= strings.size() || showsNothing(strings.at(cell.value.index)));
        });
        finish();
    }

protected:
    QString show(const StoredCell& cell) const override
    {
        switch (static_cast<CellType>(cell.kind)) {
        case CellType::Shared:
            return m_context->sharedStrings.text(cell.value.index);
        case CellType::Boolean:
            return cell.value.index ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        default:
            break;
        }
        if (static_cast<CellType>(cell.kind) == CellType::Inline)
            return m_inlineStrings.text(cell.value.index);
        const std::string_view value = std::string_view(m_bytes).substr(cell.value.span.at, cell.value.span.size);
        switch (static_cast<CellType>(cell.kind)) {
        case CellType::Formula:
            return escapedText(value);
        case CellType::Error:
            return utf8Text(value);
        case CellType::Date:
            return isoDateText(utf8Text(value).trimmed());
        default:
            break;
        }
        double number = 0;
        if (!parseNumber(value, number))
            return utf8Text(value);
        const std::vector<bool>& dateXf = m_context->styles.dateXf;
        if (cell.style < dateXf.size() && dateXf[cell.style])
            return dateText(number, m_context->date1904);
        return numberText(number);
    }

private:
    std::shared_ptr<const ReadContext> m_context;
    std::string m_bytes;
    SharedStrings m_inlineStrings;
};

// Reads a worksheet as it streams: the column widths and the cells of the first <sheetData>, never holding
// more of the part than the cell at hand.
class SheetReader final : public XmlStreamHandler
{
public:
    // Given kept columns, the cells of the others are read as the XML they are, and left out.
    SheetReader(XlsxSheetCells& sheet, const std::vector<bool>* keptColumns)
        : m_sheet(sheet)
        , m_keptColumns(keptColumns)
    {
    }

    void startElement(std::string_view name, std::span<const XmlAttribute> attributes) override
    {
        const int depth = ++m_depth;
        if (depth == 1) {
            m_inRoot = !m_rootDone;
            return;
        }
        if (!m_inRoot)
            return;
        switch (depth) {
        case 2:
            if (named(name, "sheetData") && !m_sheetDataDone)
                m_inSheetData = true;
            else if (named(name, "cols"))
                m_inCols = true;
            return;
        case 3:
            if (m_inCols && named(name, "col"))
                readColumn(attributes);
            else if (m_inSheetData && named(name, "row"))
                startRow(attributes);
            return;
        case 4:
            if (m_inRow && named(name, "c"))
                startCell(attributes);
            return;
        case 5:
            if (!m_inCell)
                return;
            if (named(name, "v")) {
                // The last <v> of a cell counts.
                m_hasValue = m_inValue = true;
                m_value.clear();
            } else if (named(name, "f")) {
                m_hasFormula = true;
            } else if (named(name, "is")) {
                // So does the last <is>: its text goes on at the end of the inline string being read.
                m_hasInline = m_inInline = true;
                m_inlineStart = m_sheet.inlineStrings().filling().size();
                m_inline.begin(depth, m_sheet.inlineStrings().filling());
            }
            return;
        default:
            if (m_inInline)
                m_inline.start(depth, name);
        }
    }

    void endElement() override
    {
        const int depth = m_depth--;
        if (depth == 1) {
            if (m_inRoot)
                m_rootDone = true;
            m_inRoot = false;
            return;
        }
        if (!m_inRoot)
            return;
        switch (depth) {
        case 2:
            if (m_inSheetData)
                m_sheetDataDone = true;
            m_inSheetData = m_inCols = false;
            return;
        case 3:
            m_inRow = false;
            return;
        case 4:
            if (m_inCell)
                endCell();
            return;
        case 5:
            m_inValue = m_inInline = false;
            return;
        default:
            if (m_inInline)
                m_inline.end(depth);
        }
    }

    void text(std::string_view utf8) override
    {
        if (m_inValue && m_depth == 5)
            m_value.append(utf8);
        else if (m_inInline)
            m_inline.text(m_depth, utf8);
    }

    // After the last event: the column widths, from the runs the <col> elements left.
    void finish()
    {
        for (const auto& [first, run] : m_widthRuns) {
            for (int c = first; c <= run.first; ++c)
                m_sheet.columnWidths[c - 1] = run.second;
        }
        m_sheet.done();
    }

private:
    void readColumn(std::span<const XmlAttribute> attributes)
    {
        const XmlAttribute* width = findAttribute(attributes, "width");
        if (!width)
            return;
        const double value = std::strtod(std::string(width->value).c_str(), nullptr);
        const int first = std::max(1, intAttribute(findAttribute(attributes, "min"), 1));
        const int last = std::min(kMaxColumns, intAttribute(findAttribute(attributes, "max"), first));
        if (first <= last)
            paintWidth(first, last, value);
    }

    // Later <col> elements win where they overlap earlier ones. Kept as runs, so a sheet of many elements
    // that each span every column costs a run each, not a write for every column.
    void paintWidth(int first, int last, double width)
    {
        auto it = m_widthRuns.lower_bound(first);
        if (it != m_widthRuns.begin()) {
            const auto before = std::prev(it);
            if (const auto [end, w] = before->second; end >= first) {
                before->second.first = first - 1;
                if (end > last)
                    m_widthRuns.emplace(last + 1, std::pair { end, w });
            }
        }
        it = m_widthRuns.lower_bound(first);
        while (it != m_widthRuns.end() && it->first <= last) {
            const auto [end, w] = it->second;
            it = m_widthRuns.erase(it);
            if (end > last) {
                m_widthRuns.emplace(last + 1, std::pair { end, w });
                break;
            }
        }
        m_widthRuns.emplace(first, std::pair { last, width });
    }

    void startRow(std::span<const XmlAttribute> attributes)
    {
        const int r = intAttribute(findAttribute(attributes, "r"), 0);
        m_rowIndex = (r >= 1 && r <= kMaxRows) ? r - 1 : m_rowIndex + 1;
        m_columnIndex = -1;
        m_inRow = true;
    }

    void startCell(std::span<const XmlAttribute> attributes)
    {
        // The first r, t and s, in one pass.
        const XmlAttribute* reference = nullptr;
        const XmlAttribute* type = nullptr;
        const XmlAttribute* style = nullptr;
        for (const XmlAttribute& a : attributes) {
            if (a.name.size() != 1)
                continue;
            const XmlAttribute** slot = a.name[0] == 'r' ? &reference
                : a.name[0] == 't'                       ? &type
                : a.name[0] == 's'                       ? &style
                                                         : nullptr;
            if (slot && !*slot)
                *slot = &a;
        }
        CellKey key;
        // A reference naming another row is as good as none; the cell follows the previous one.
        if (reference && parseReference(reference->value, key) && key.first == m_rowIndex)
            m_columnIndex = key.second;
        else
            key = { m_rowIndex, ++m_columnIndex };
        m_inCell = key.first < kMaxRows && key.second < kMaxColumns
            && (!m_keptColumns || (std::size_t(key.second) < m_keptColumns->size() && (*m_keptColumns)[key.second]));
        if (!m_inCell)
            return;
        m_key = key;
        m_type = cellType(type);
        m_style = intAttribute(style, 0);
        m_hasValue = m_hasInline = m_hasFormula = false;
        m_value.clear();
        m_inlineCellStart = m_sheet.inlineStrings().filling().size();
    }

    // Stores the cell as its bytes, unless it shows no text: an empty cell does not replace an earlier one.
    void endCell()
    {
        m_inCell = false;
        std::string& bytes = m_sheet.bytes();
        StoredCell cell;
        cell.row = static_cast<quint32>(m_key.first);
        cell.column = static_cast<quint16>(m_key.second);
        cell.kind = static_cast<quint8>(m_type);
        cell.style = static_cast<quint32>(m_style);
        SharedStrings& inlineStrings = m_sheet.inlineStrings();
        std::string& inlineText = inlineStrings.filling();
        if (m_type == CellType::Inline && m_hasInline
            && !showsNothing(std::string_view(inlineText).substr(m_inlineStart))) {
            // Only the last item's text stays.
            inlineText.erase(m_inlineCellStart, m_inlineStart - m_inlineCellStart);
            cell.value.index = static_cast<quint32>(inlineStrings.ended());
            m_sheet.store(cell);
            return;
        }
        inlineText.resize(m_inlineCellStart);
        if (m_type == CellType::Inline && m_hasInline)
            return;
        // A formula's result is its value; a text result may be empty (t="str" with an empty <v>), others not.
        // Some programs write formulas alone and leave the results to the spreadsheet that opens the file.
        if (m_hasFormula && m_type != CellType::Inline
            && (!m_hasValue || (m_type != CellType::Formula && showsNothing(m_value)))) {
            cell.flags = kFormulaWithoutResult;
            m_sheet.store(cell);
            return;
        }
        if (m_type != CellType::Inline && !m_hasValue)
            return;
        switch (m_type) {
        case CellType::Shared: {
            // The shared strings may still be being read: whether this one is there and shows anything is known
            // when the sheet is done.
            const std::size_t index = sharedIndex();
            if (index > std::numeric_limits<quint32>::max())
                return;
            cell.value.index = static_cast<quint32>(index);
            m_sheet.store(cell);
            return;
        }
        case CellType::Boolean: {
            double b = 0;
            cell.value.index = parseNumber(m_value, b) && b != 0 ? 1 : 0;
            m_sheet.store(cell);
            return;
        }
        case CellType::Date:
            if (utf8Text(m_value).trimmed().isEmpty())
                return;
            break;
        default:
            if (showsNothing(m_value))
                return;
        }
        cell.value.span = { static_cast<quint32>(bytes.size()), static_cast<quint32>(m_value.size()) };
        bytes.append(m_value);
        m_sheet.store(cell);
    }

    // The shared string a cell's value names, read as a number the way any number is; past any table when it names
    // none. Most values are plain digits and are read without the general number reader.
    std::size_t sharedIndex() const
    {
        const std::size_t none = std::numeric_limits<std::size_t>::max();
        if (!m_value.empty() && m_value.size() <= 9
            && std::all_of(m_value.begin(), m_value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            std::size_t index = 0;
            for (const char c : m_value)
                index = index * 10 + static_cast<std::size_t>(c - '0');
            return index;
        }
        double index = -1;
        if (!parseNumber(m_value, index) || index < 0 || index >= 4294967296.0)
            return none;
        return static_cast<std::size_t>(index);
    }

    XlsxSheetCells& m_sheet;
    const std::vector<bool>* m_keptColumns;
    int m_depth = 0;
    bool m_inRoot = false;
    bool m_rootDone = false;
    bool m_inCols = false;
    bool m_inSheetData = false;
    bool m_sheetDataDone = false;
    bool m_inRow = false;
    int m_rowIndex = -1;
    int m_columnIndex = -1;
    // The cell at hand.
    bool m_inCell = false;
    CellKey m_key;
    CellType m_type = CellType::Number;
    int m_style = 0;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    bool m_inValue = false;
    std::string m_value;
    bool m_hasInline = false;
    bool m_inInline = false;
    std::size_t m_inlineCellStart = 0; // where the inline string being read was when the cell started
    std::size_t m_inlineStart = 0;
    StringItem m_inline;
    std::map<int, std::pair<int, double>> m_widthRuns; // first column -> last column, width
};

using Sheets = std::vector<std::unique_ptr<SheetCells>>;

// Reads a large shared string table on a thread of its own, from an archive of its own over the same bytes, while
// the caller reads the first worksheet; the sheet's cells look their strings up only once this is done. A small
// table is read at once, on the calling thread.
class SharedStringsRead
{
public:
    SharedStringsRead(ZipArchive& zip, const QByteArray& bytes, const QString& part, SharedStrings& strings)
        : m_strings(strings)
    {
        const qint64 declared = zip.declaredSize(part);
        if (declared < kLargePartBytes) {
            SharedStringsReader reader(strings);
            m_error = streamPart(zip, part, reader);
            return;
        }
        m_zip = std::make_unique<ZipArchive>(bytes);
        m_zip->shareTotalWith(zip);
        m_thread = std::thread([this, part, &strings] {
            SharedStringsReader reader(strings);
            m_error = m_zip->isOpen() ? streamPart(*m_zip, part, reader) : m_zip->error();
            strings.readingEnded();
            // While the worksheet is still being read, the strings its cells will show are made ready.
            if (m_error.isEmpty())
                strings.decodeAhead(false);
        });
    }
    ~SharedStringsRead() { wait(); }
    SharedStringsRead(const SharedStringsRead&) = delete;
    SharedStringsRead& operator=(const SharedStringsRead&) = delete;

    // Waits until the table is read, turning strings into text meanwhile; why it could not be read, or an empty
    // text. A table read to its end is the one most often still being read after the worksheet.
    const QString& wait()
    {
        if (m_thread.joinable()) {
            m_strings.decodeAhead(true);
            m_thread.join();
        }
        return m_error;
    }

private:
    SharedStrings& m_strings;
    std::unique_ptr<ZipArchive> m_zip;
    QString m_error;
    std::thread m_thread;
};

// Turns strings into text on a thread of its own while they are being read, until the reading has ended.
class StringsAhead
{
public:
    explicit StringsAhead(SharedStrings& strings)
        : m_strings(strings)
        , m_thread([&strings] { strings.decodeAhead(true); })
    {
    }
    ~StringsAhead()
    {
        m_strings.readingEnded();
        m_thread.join();
    }
    StringsAhead(const StringsAhead&) = delete;
    StringsAhead& operator=(const StringsAhead&) = delete;

private:
    SharedStrings& m_strings;
    std::thread m_thread;
};

Expected<Sheets> readSheets(const QByteArray& bytes, bool firstSheetOnly, const std::vector<int>* columns = nullptr)
{
    using Result = Expected<Sheets>;
    ZipArchive zip(bytes);
    if (!zip.isOpen())
        return Result::failure(zip.error());
    Expected<PackageLayout> layout = locateParts(zip);
    if (!layout)
        return Result::failure(layout.error());

    auto context = std::make_shared<ReadContext>();
    context->date1904 = layout->date1904;
    std::optional<SharedStringsRead> strings;
    if (!layout->sharedStringsPart.isEmpty())
        strings.emplace(zip, bytes, layout->sharedStringsPart, context->sharedStrings);
    // Whatever fails, a broken shared string table is the reason given, as it would be if it were read first.
    const auto failure = [&strings](const QString& error) {
        return Result::failure(strings && !strings->wait().isEmpty() ? strings->wait() : error);
    };
    if (!layout->stylesPart.isEmpty()) {
        QByteArray data;
        if (QString error = readPart(zip, layout->stylesPart, data); !error.isEmpty())
            return failure(error);
        pugi::xml_document doc;
        if (QString error = parse(doc, data, layout->stylesPart); !error.isEmpty())
            return failure(error);
        context->styles = readStyles(doc);
    }

    std::optional<std::vector<bool>> kept;
    if (columns) {
        kept.emplace(kMaxColumns, false);
        for (const int column : *columns) {
            if (column >= 0 && column < kMaxColumns)
                (*kept)[column] = true;
        }
    }
    Sheets sheets;
    for (const SheetRef& ref : layout->worksheets) {
        auto sheet = std::make_unique<XlsxSheetCells>(context);
        sheet->name = ref.name;
        const qint64 declared = zip.declaredSize(ref.part);
        // A cell takes at least twenty bytes of its sheet.
        sheet->reserve(std::size_t(std::min<qint64>(declared / 20, kMaxReservedCells)), std::size_t(declared / 4));
        SheetReader reader(*sheet, kept ? &*kept : nullptr);
        QString error;
        {
            // The inline strings of a large sheet are made text on a thread of their own as their runs fill.
            std::optional<StringsAhead> ahead;
            if (declared >= kLargePartBytes)
                ahead.emplace(sheet->inlineStrings());
            error = streamPart(zip, ref.part, reader);
        }
        if (!error.isEmpty())
            return failure(error);
        if (strings && !strings->wait().isEmpty())
            return failure({});
        reader.finish();
        sheets.push_back(std::move(sheet));
        if (firstSheetOnly)
            break;
    }
    if (strings && !strings->wait().isEmpty())
        return failure({});
    return sheets;
}

} // namespace

Expected<WorkbookData> readXlsx(const QByteArray& bytes, bool firstSheetOnly)
{
    auto sheets = readSheets(bytes, firstSheetOnly);
    if (!sheets)
        return Expected<WorkbookData>::failure(sheets.error());
    WorkbookData workbook;
    for (const auto& sheet : *sheets)
        workbook.sheets.push_back(sheet->toSheetData());
    return workbook;
}

Expected<std::unique_ptr<SheetCells>> readXlsxFirstSheet(const QByteArray& bytes, const std::vector<int>* columns)
{
    auto sheets = readSheets(bytes, true, columns);
    if (!sheets)
        return Expected<std::unique_ptr<SheetCells>>::failure(sheets.error());
    return sheets->empty() ? std::unique_ptr<SheetCells>() : std::move(sheets->front());
}

} // namespace pelorin::workbook
