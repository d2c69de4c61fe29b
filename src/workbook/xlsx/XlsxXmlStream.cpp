#include "workbook/xlsx/XlsxXmlStream.h"

#include "workbook/xlsx/XlsxXml.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pelorin::workbook::xlsx {

namespace {

// Deep enough for any worksheet; it keeps hostile nesting from growing the stack of open names without bound.
constexpr size_t kMaxDepth = 1000;
// The longest character reference taken as one ("&#x0010FFFF;" with room for leading zeros).
constexpr size_t kMaxReference = 32;

bool isSpace(char c)
{
    // One test for the common bytes, which are all above the space.
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
}

constexpr auto kNameStarts = [] {
    std::array<bool, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    return table;
}();

bool isNameStart(char c)
{
    return kNameStarts[static_cast<unsigned char>(c)];
}

constexpr auto kNameChars = [] {
    std::array<bool, 256> table {};
    for (int c = 1; c < 256; ++c)
        table[c] = std::string_view(" \t\n\r\"'=<>/&").find(static_cast<char>(c)) == std::string_view::npos;
    return table;
}();

bool isNameChar(char c)
{
    return kNameChars[static_cast<unsigned char>(c)];
}

// Bytes that end the plain run of an attribute value in this quote: the quote itself, a reference, and the
// characters that turn into spaces.
constexpr std::array<bool, 256> valueStops(char quote)
{
    std::array<bool, 256> table {};
    for (const char c : { quote, '&', '\t', '\n', '\r' })
        table[static_cast<unsigned char>(c)] = true;
    return table;
}
constexpr auto kDoubleQuotedStops = valueStops('"');
constexpr auto kSingleQuotedStops = valueStops('\'');

// The scans below look at sixteen bytes at once where the processor allows it. Each picks out the bytes that may
// end the run, a few more than do, and the table has the last word on each, so the result is the table's alone.
#if defined(__SSE2__)
using Block = __m128i;

Block load(const char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const Block*>(p));
}

// Bytes at most limit, unsigned.
Block atMost(Block x, char limit)
{
    return _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(limit)), x);
}

// The first byte of a candidate mask that the table confirms; -1 when none does.
int confirmed(unsigned mask, const char* p, const std::array<bool, 256>& stops, bool stopWhen)
{
    for (; mask != 0; mask &= mask - 1) {
        const int i = std::countr_zero(mask);
        if (stops[static_cast<unsigned char>(p[i])] == stopWhen)
            return i;
    }
    return -1;
}

// The bytes of a block that may end a name: every one that does is at most 0x2F (controls, space, quotes, '&', '/')
// or one of '<', '=', '>'.
unsigned nameStopCandidates(Block x)
{
    const Block ltGt = atMost(_mm_sub_epi8(x, _mm_set1_epi8('<')), 2);
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(atMost(x, 0x2F), ltGt)));
}

// The bytes of a block that may end a plain value in double quotes: the quote, '&' and the bytes up to 0x0D, among
// them tab, line feed and carriage return.
unsigned doubleQuotedStopCandidates(Block x)
{
    const Block quoteOrAmp = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), _mm_cmpeq_epi8(x, _mm_set1_epi8('&')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(quoteOrAmp, atMost(x, 0x0D))));
}
#endif

// Most names and values are a few bytes long: the scans look at the first ones one by one.
constexpr int kShortRun = 4;

// The end of a name that starts at p: the first byte that is no name character, or end.
inline const char* nameEnd(const char* p, const char* end)
{
    for (int i = 0; i < kShortRun; ++i, ++p) {
        if (p == end || !isNameChar(*p))
            return p;
    }
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        if (const int i = confirmed(nameStopCandidates(load(p)), p, kNameChars, false); i >= 0)
            return p + i;
    }
#endif
    while (p < end && isNameChar(*p))
        ++p;
    return p;
}

// The end of the plain run of an attribute value in this quote: the first byte in stops, or end.
inline const char* valueEnd(const char* p, const char* end, [[maybe_unused]] char quote,
                            const std::array<bool, 256>& stops)
{
    for (int i = 0; i < kShortRun; ++i, ++p) {
        if (p == end || stops[static_cast<unsigned char>(*p)])
            return p;
    }
#if defined(__SSE2__)
    // Tab, line feed and carriage return are among the bytes up to 0x0D.
    const Block q = _mm_set1_epi8(quote);
    const Block amp = _mm_set1_epi8('&');
    for (; end - p >= 16; p += 16) {
        const Block x = load(p);
        const Block hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, q), _mm_cmpeq_epi8(x, amp)), atMost(x, 0x0D));
        if (const int i = confirmed(static_cast<unsigned>(_mm_movemask_epi8(hit)), p, stops, true); i >= 0)
            return p + i;
    }
#endif
    while (p < end && !stops[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

constexpr auto kTextStops = [] {
    std::array<bool, 256> table {};
    for (const char c : { '<', '&', '\r' })
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// The end of a run of character data from p: the first '<', '&' or carriage return, or end.
inline const char* textEnd(const char* p, const char* end)
{
    for (int i = 0; i < kShortRun; ++i, ++p) {
        if (p == end || kTextStops[static_cast<unsigned char>(*p)])
            return p;
    }
#if defined(__SSE2__)
    const Block lt = _mm_set1_epi8('<');
    const Block amp = _mm_set1_epi8('&');
    const Block cr = _mm_set1_epi8('\r');
    for (; end - p >= 16; p += 16) {
        const Block x = load(p);
        const Block hit
            = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, lt), _mm_cmpeq_epi8(x, amp)), _mm_cmpeq_epi8(x, cr));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0)
            return p + std::countr_zero(mask);
    }
#endif
    while (p < end && !kTextStops[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// Names are short and most have no prefix: a loop here costs less than a call.
inline std::string_view localPart(std::string_view qualified)
{
    for (size_t i = qualified.size(); i > 0; --i) {
        if (qualified[i - 1] == ':')
            return qualified.substr(i);
    }
    return qualified;
}

// Writes the UTF-8 form of code to out, which has room for four bytes; returns how many it wrote.
size_t writeUtf8(char32_t code, char* out)
{
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

bool decodeNumber(std::string_view digits, char32_t& code)
{
    int base = 10;
    if (!digits.empty() && digits.front() == 'x') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty())
        return false;
    code = 0;
    for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return false;
        code = code * base + d;
        if (code > 0x10FFFF)
            return false;
    }
    return code != 0 && (code < 0xD800 || code > 0xDFFF);
}

// The value of each hexadecimal digit, -1 for other bytes.
constexpr auto kHexDigits = [] {
    std::array<signed char, 256> table {};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<signed char>(c >= '0' && c <= '9'       ? c - '0'
                                                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                       : -1);
    }
    return table;
}();

// Decodes the reference that starts at p ('&'); its length, or 0 when the '&' is taken literally. What it stands
// for is written to out, which has room for four bytes, and written says how many; a reference is never shorter
// than what it stands for, so text decodes in place into a buffer of its own length.
size_t decodeReference(const char* p, const char* end, char* out, size_t& written)
{
    const size_t window = std::min<size_t>(end - p, kMaxReference);
    if (window > 1 && p[1] == '#') {
        // A character reference, what some programs write for every character past ASCII, is read as it is
        // scanned: its ';' must follow its digits directly, or it is no reference.
        const char* const limit = p + window;
        const char* q = p + 2;
        const bool hex = q < limit && *q == 'x';
        if (hex)
            ++q;
        const char* const digits = q;
        // Past U+10FFFF the number stays just past it, however many digits follow.
        constexpr char32_t kPast = 0x110000;
        char32_t code = 0;
        if (hex) {
            for (; q < limit && kHexDigits[static_cast<unsigned char>(*q)] >= 0; ++q)
                code = std::min<char32_t>(code * 16 + static_cast<char32_t>(kHexDigits[static_cast<unsigned char>(*q)]),
                                          kPast);
        } else {
            for (unsigned d; q < limit && (d = static_cast<unsigned char>(*q) - unsigned('0')) <= 9; ++q)
                code = std::min<char32_t>(code * 10 + d, kPast);
        }
        if (q == limit || *q != ';' || q == digits || code >= kPast || code == 0 || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
        written = writeUtf8(code, out);
        return static_cast<size_t>(q - p) + 1;
    }
    const auto* semi = static_cast<const char*>(std::memchr(p, ';', window));
    if (!semi)
        return 0;
    const std::string_view name(p + 1, semi - p - 1);
    char32_t code = 0;
    written = 1;
    if (name == "lt")
        out[0] = '<';
    else if (name == "gt")
        out[0] = '>';
    else if (name == "amp")
        out[0] = '&';
    else if (name == "quot")
        out[0] = '"';
    else if (name == "apos")
        out[0] = '\'';
    else if (!name.empty() && name.front() == '#' && decodeNumber(name.substr(1), code))
        written = writeUtf8(code, out);
    else
        return 0;
    return semi - p + 1;
}

// The reference some programs write for every character past ASCII, "&#" and up to seven decimal digits and ';',
// decoded as decodeReference does, in fewer steps; 0 when the reference is of another kind.
inline size_t decimalReference(const char* p, const char* end, char* out, size_t& written)
{
    if (end - p < 4 || p[1] != '#')
        return 0;
    const char* q = p + 2;
    const char* const stop = q + std::min<std::ptrdiff_t>(end - q, 7);
    char32_t code = 0;
    for (unsigned d; q < stop && (d = static_cast<unsigned char>(*q) - unsigned('0')) <= 9; ++q)
        code = code * 10 + d;
    if (q == p + 2 || q == end || *q != ';' || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    written = writeUtf8(code, out);
    return static_cast<size_t>(q - p) + 1;
}

size_t decodeReference(const char* p, const char* end, std::string& out)
{
    char bytes[4];
    size_t written = 0;
    const size_t length = decodeReference(p, end, bytes, written);
    if (length > 0)
        out.append(bytes, written);
    return length;
}

} // namespace

XmlStreamParser::XmlStreamParser(XmlStreamHandler& handler)
    : m_handler(handler)
{
}

bool XmlStreamParser::feed(const char* data, qsizetype size)
{
    if (m_failure != Failure::None)
        return false;
    if (m_decoder) {
        const QString decoded = (*m_decoder)(QByteArrayView(data, size));
        const QByteArray utf8 = decoded.toUtf8();
        return process({ utf8.constData(), static_cast<size_t>(utf8.size()) });
    }
    if (m_encodingKnown)
        return process({ data, static_cast<size_t>(size) });

    // The first bytes tell the encoding; hold them until there are enough.
    m_buffer.append(data, static_cast<size_t>(size));
    if (m_buffer.size() < 4)
        return true;
    std::string start;
    start.swap(m_buffer);
    m_encodingKnown = true;
    const auto at = [&start](size_t i) { return static_cast<unsigned char>(start[i]); };
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        start.erase(0, 3);
    else if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0))
        m_decoder.emplace(QStringDecoder::Utf16LE);
    else if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<'))
        m_decoder.emplace(QStringDecoder::Utf16BE);
    return feed(start.data(), static_cast<qsizetype>(start.size()));
}

bool XmlStreamParser::finish()
{
    if (m_failure != Failure::None)
        return false;
    if (!m_encodingKnown) {
        m_encodingKnown = true;
        std::string start;
        start.swap(m_buffer);
        if (!process(start))
            return false;
    }
    if (!parseBuffer(true))
        return false;
    if (!m_openStarts.empty()) {
        return fail(Failure::Malformed, QStringLiteral("元素<%1>没有结束").arg(QString::fromUtf8(innermostName())));
    }
    if (!m_rootSeen)
        return fail(Failure::Empty);
    return true;
}

QString XmlStreamParser::error(const QString& partName) const
{
    switch (m_failure) {
    case Failure::None:
        return {};
    case Failure::Doctype:
        return doctypeError(partName);
    case Failure::Empty:
        return emptyPartError(partName);
    case Failure::Malformed:
        break;
    }
    return malformedError(partName, m_detail);
}

bool XmlStreamParser::fail(Failure failure, const QString& detail)
{
    m_failure = failure;
    m_detail = detail;
    return false;
}

qsizetype XmlStreamParser::broken(const QString& detail)
{
    fail(Failure::Malformed, detail);
    return -1;
}

bool XmlStreamParser::process(std::string_view utf8)
{
    // XML has no place for a NUL character; refusing it keeps every later search simple.
    if (!utf8.empty() && std::memchr(utf8.data(), 0, utf8.size()))
        return fail(Failure::Malformed, QStringLiteral("含有空字符"));
    if (!m_buffer.empty()) {
        // What the last piece left unfinished is completed first, with as little of this piece as it takes:
        // most often the rest of one tag.
        const auto* gt = static_cast<const char*>(std::memchr(utf8.data(), '>', utf8.size()));
        const size_t take = gt ? static_cast<size_t>(gt - utf8.data()) + 1 : utf8.size();
        m_buffer.append(utf8.substr(0, take));
        utf8.remove_prefix(take);
        if (!parseBuffer(false))
            return false;
        if (!m_buffer.empty()) {
            m_buffer.append(utf8);
            return parseBuffer(false);
        }
    }
    // The rest is parsed where it lies; only what it leaves unfinished is copied.
    size_t used = 0;
    if (!parse(utf8.data(), utf8.size(), false, used))
        return false;
    m_buffer.assign(utf8.substr(used));
    return true;
}

bool XmlStreamParser::parseBuffer(bool atEnd)
{
    size_t used = 0;
    if (!parse(m_buffer.data(), m_buffer.size(), atEnd, used))
        return false;
    m_buffer.erase(0, used);
    return true;
}

inline qsizetype XmlStreamParser::plainEndTag(size_t pos)
{
    // Most end tags are the open element's name and '>' at once, and have arrived whole.
    const char* const b = m_data;
    const size_t size = m_size;
    if (m_openStarts.empty())
        return 0;
    const std::string_view open = innermostName();
    const size_t gt = pos + 2 + open.size();
    if (gt >= size || b[gt] != '>')
        return 0;
#if defined(__SSE2__)
    // A short name is compared as one block; there are sixteen bytes past each open name.
    const bool asBlock = open.size() < 16 && size - (pos + 2) >= 16;
    if (asBlock) {
        const auto equal
            = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(load(b + pos + 2), load(open.data()))));
        const unsigned wanted = (1u << open.size()) - 1;
        if ((equal & wanted) != wanted)
            return 0;
    }
#else
    const bool asBlock = false;
#endif
    if (!asBlock && std::memcmp(b + pos + 2, open.data(), open.size()) != 0)
        return 0;
    popOpenName();
    m_handler.endElement();
    return static_cast<qsizetype>(gt - pos + 1);
}

bool XmlStreamParser::parse(const char* data, size_t size, bool atEnd, size_t& used)
{
    m_data = data;
    m_size = size;
    size_t pos = 0;
    while (pos < size) {
        const char* b = m_data;
        if (b[pos] != '<') {
            const char* const stop = textEnd(b + pos, b + size);
            if (stop < b + size && *stop == '<') {
                // Most text holds no reference and no line end: it goes out where it lies.
                if (!m_openStarts.empty())
                    m_handler.text({ b + pos, static_cast<size_t>(stop - b) - pos });
                pos = static_cast<size_t>(stop - b);
                continue;
            }
            const auto* lt = static_cast<const char*>(std::memchr(stop, '<', size - static_cast<size_t>(stop - b)));
            const size_t to = lt ? static_cast<size_t>(lt - b) : size;
            const size_t emitted = emitText(pos, to, !lt && !atEnd);
            pos = emitted;
            if (emitted < to)
                break;
            continue;
        }
        qsizetype taken = 0;
        if (pos + 1 < size) {
            const char next = b[pos + 1];
            // A tag that earlier pieces left unfinished is searched on from where the last search stopped, the general
            // way; read again from its start each time a piece arrives, a long one would cost quadratic time.
            if (next == '/') {
                if (m_scanned > 0 || (taken = plainEndTag(pos)) == 0)
                    taken = endTag(pos);
            } else if (next == '?' || next == '!') {
                taken = special(pos, atEnd);
            } else if (m_scanned > 0 || (taken = plainStartTag(pos)) == 0) {
                taken = startTag(pos);
            }
        }
        if (taken < 0)
            return false;
        if (taken == 0) {
            if (atEnd)
                return fail(Failure::Malformed, QStringLiteral("文档在标记中途结束"));
            break;
        }
        pos += static_cast<size_t>(taken);
        m_scanned = 0;
        m_quote = 0;
    }
    used = pos;
    return true;
}

size_t XmlStreamParser::emitText(size_t from, size_t to, bool more)
{
    // Text outside the root element means nothing to a part.
    if (m_openStarts.empty())
        return to;
    const char* s = m_data + from;
    const char* e = m_data + to;
    const char* q = s;
    while (q < e && *q != '&' && *q != '\r')
        ++q;
    if (q == e) {
        if (q != s)
            m_handler.text({ s, static_cast<size_t>(e - s) });
        return to;
    }
    // Decoding never lengthens text, so the buffer is sized once and filled in place.
    m_scratch.resize(static_cast<size_t>(e - s));
    char* const start = m_scratch.data();
    char* out = std::copy(s, q, start);
    while (q < e) {
        if (*q == '\r') {
            // A carriage return at the end of a piece may be the first half of a CR LF pair.
            if (q + 1 == e && more)
                break;
            *out++ = '\n';
            q += (q + 1 < e && q[1] == '\n') ? 2 : 1;
        } else if (*q == '&') {
            size_t written = 0;
            size_t length = decimalReference(q, e, out, written);
            if (length == 0)
                length = decodeReference(q, e, out, written);
            if (length == 0 && more && static_cast<size_t>(e - q) < kMaxReference && !std::memchr(q, ';', e - q))
                break;
            if (length == 0) {
                *out++ = '&';
                ++q;
            } else {
                out += written;
                q += length;
            }
        } else {
            const char* r = q;
            while (r < e && *r != '&' && *r != '\r')
                ++r;
            out = std::copy(q, r, out);
            q = r;
        }
    }
    m_scratch.resize(static_cast<size_t>(out - start));
    if (!m_scratch.empty())
        m_handler.text(m_scratch);
    return static_cast<size_t>(q - m_data);
}

bool XmlStreamParser::tagArrived(size_t pos)
{
    // The closing '>' lies outside quoted values, where a '>' is allowed.
    const char* b = m_data;
    const size_t size = m_size;
    size_t i = pos + std::max<size_t>(1, m_scanned);
    char quote = m_quote;
    for (; i < size; ++i) {
        const char c = b[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return true;
        }
    }
    m_scanned = i - pos;
    m_quote = quote;
    return false;
}

qsizetype XmlStreamParser::plainStartTag(size_t pos)
{
#if defined(__SSE2__)
    // Nearly every tag of a part is a short name and attributes of the form name="value", one space before each,
    // with no reference, tab or line end in a value, and has arrived whole. Such a tag is read here from one block of
    // sixteen bytes for the name and one for each attribute, more only for a long value; at anything else this gives
    // up before it has changed anything, and the general reading starts over.
    const char* const b = m_data;
    const char* const end = b + m_size;
    const char* const name = b + pos + 1;
    const auto hasBlock = [end](const char* p) { return end - p >= 16; };
    if (!hasBlock(name) || !isNameStart(*name))
        return 0;
    const Block first = load(name);
    const unsigned nameStops = nameStopCandidates(first);
    if (nameStops == 0)
        return 0;
    const auto length = static_cast<unsigned>(std::countr_zero(nameStops));
    const char* q = name + length;
    if (isNameChar(*q))
        return 0;
    // The local part follows the last ':' of the name.
    const unsigned colons
        = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(first, _mm_set1_epi8(':')))) & ((1u << length) - 1);
    const unsigned prefix = colons == 0 ? 0 : static_cast<unsigned>(std::bit_width(colons));
    const std::string_view local(name + prefix, length - prefix);

    // The attributes go into the slots directly, with their count in a register; the slots grow only out of line.
    size_t count = 0;
    bool empty = false;
    for (;;) {
        if (*q == '>')
            break;
        if (*q == '/') {
            if (q + 1 == end || q[1] != '>')
                return 0;
            empty = true;
            ++q;
            break;
        }
        if (*q != ' ')
            return 0;
        const char* const a = q + 1;
        if (!hasBlock(a) || !isNameStart(*a))
            return 0;
        // One block holds the name, the '=' and the opening quote, and most often the whole value.
        const Block x = load(a);
        const unsigned attributeStops = nameStopCandidates(x);
        const auto equals = static_cast<unsigned>(std::countr_zero(attributeStops));
        if (equals >= 15 || a[equals] != '=' || a[equals + 1] != '"')
            return 0;
        const char* const value = a + equals + 2;
        // The bytes that may end a value are among those that may end a name, and in most values the first of those
        // is the closing quote; only a value with a space or a mark in it needs the closer look.
        unsigned valueStops = attributeStops >> (equals + 2);
        if (valueStops != 0 && value[std::countr_zero(valueStops)] != '"')
            valueStops = doubleQuotedStopCandidates(x) >> (equals + 2);
        const char* close = value + std::countr_zero(valueStops);
        if (valueStops == 0) {
            for (const char* p = a + 16;; p += 16) {
                if (!hasBlock(p))
                    return 0;
                if (const unsigned stops = doubleQuotedStopCandidates(load(p)); stops != 0) {
                    close = p + std::countr_zero(stops);
                    break;
                }
            }
        }
        if (*close != '"' || close + 1 == end)
            return 0;
        if (count == m_attributes.size())
            m_attributes.resize(2 * count);
        m_attributes[count++] = { { a, equals }, { value, static_cast<size_t>(close - value) } };
        q = close + 1;
    }
    m_attributeCount = count;
    if (m_openStarts.size() >= kMaxDepth)
        return 0;
    m_rootSeen = true;
    if (empty) {
        m_handler.startElement(local, { m_attributes.data(), m_attributeCount });
        m_handler.endElement();
    } else {
        // The block that holds the name is copied whole; the bytes past the name are room the next one overwrites.
        if (m_openNames.size() - m_openNamesEnd < 32)
            m_openNames.resize(2 * m_openNames.size());
        _mm_storeu_si128(reinterpret_cast<Block*>(m_openNames.data() + m_openNamesEnd), first);
        m_openStarts.push_back(m_openNamesEnd);
        m_openNamesEnd += length;
        m_handler.startElement(local, { m_attributes.data(), m_attributeCount });
    }
    return q - (b + pos) + 1;
#else
    static_cast<void>(pos);
    return 0;
#endif
}

qsizetype XmlStreamParser::startTag(size_t pos)
{
    // A tag longer than what has arrived is searched on from where the last search stopped, so a huge one
    // costs linear time; a tag that has arrived whole is parsed in one pass.
    if (m_scanned > 0 && !tagArrived(pos))
        return 0;
    const auto notYet = [this, pos] { return tagArrived(pos) ? broken(QStringLiteral("标签无效")) : 0; };
    const char* const b = m_data;
    const char* const end = b + m_size;
    const char* q = nameEnd(b + pos + 1, end);
    if (q == end)
        return notYet();
    const std::string_view name(b + pos + 1, static_cast<size_t>(q - b) - pos - 1);
    if (name.empty() || !isNameStart(name.front()) || !(isSpace(*q) || *q == '>' || *q == '/'))
        return broken(QStringLiteral("元素名称无效"));
    const auto bad = [&name](const char* what) {
        return QStringLiteral("元素<%1>%2").arg(QString::fromUtf8(name), QString::fromUtf8(what));
    };
    const auto skipSpaces = [end](const char* p) {
        while (p < end && isSpace(*p))
            ++p;
        return p;
    };

    m_attributeCount = 0;
    m_attributeText.clear();
    bool empty = false;
    for (;;) {
        q = skipSpaces(q);
        if (q == end)
            return notYet();
        if (*q == '>')
            break;
        if (*q == '/') {
            if (q + 1 == end)
                return notYet();
            if (q[1] != '>')
                return broken(bad("的结尾无效"));
            empty = true;
            ++q;
            break;
        }
        const char* const nameStart = q;
        q = nameEnd(q, end);
        const std::string_view attributeName(nameStart, static_cast<size_t>(q - nameStart));
        // Most attributes are name="value", with no spaces around the '='.
        if (q < end && *q != '=')
            q = skipSpaces(q);
        if (q == end)
            return notYet();
        if (attributeName.empty() || !isNameStart(attributeName.front()) || *q != '=')
            return broken(bad("的属性无效"));
        ++q;
        if (q < end && *q != '"' && *q != '\'')
            q = skipSpaces(q);
        if (q == end)
            return notYet();
        if (*q != '"' && *q != '\'')
            return broken(bad("的属性值缺少引号"));
        const char quote = *q;
        const char* const v = q + 1;
        // One pass finds the closing quote of a plain value; a reference or a line end sends it the long way.
        const auto& stops = quote == '"' ? kDoubleQuotedStops : kSingleQuotedStops;
        const char* const special = valueEnd(v, end, quote, stops);
        if (special == end)
            return notYet();
        if (*special == quote) {
            addAttribute(attributeName, { v, static_cast<size_t>(special - v) });
            q = special + 1;
            continue;
        }
        const auto* ve = static_cast<const char*>(std::memchr(special, quote, static_cast<size_t>(end - special)));
        if (!ve)
            return notYet();
        q = ve + 1;
        // Decoding never lengthens a value, so room for the rest of the buffer keeps the views into this text
        // valid while it fills.
        if (m_attributeText.empty())
            m_attributeText.reserve(m_size - pos);
        // As in any XML reader: references decoded, each line end or tab turned into one space.
        const size_t start = m_attributeText.size();
        m_attributeText.append(v, special);
        for (const char* p = special; p < ve;) {
            if (*p == '&') {
                const size_t length = decodeReference(p, ve, m_attributeText);
                if (length == 0)
                    m_attributeText += '&';
                p += std::max<size_t>(length, 1);
            } else if (*p == '\r' || *p == '\n' || *p == '\t') {
                m_attributeText += ' ';
                p += (*p == '\r' && p + 1 < ve && p[1] == '\n') ? 2 : 1;
            } else {
                m_attributeText += *p++;
            }
        }
        addAttribute(attributeName, std::string_view(m_attributeText).substr(start));
    }

    if (m_openStarts.size() >= kMaxDepth)
        return broken(QStringLiteral("元素嵌套超过%1层").arg(kMaxDepth));
    m_rootSeen = true;
    if (empty) {
        // An empty element closes at once: its name need not be kept for an end tag.
        m_handler.startElement(localPart(name), { m_attributes.data(), m_attributeCount });
        m_handler.endElement();
    } else {
        pushOpenName(name);
        m_handler.startElement(localPart(name), { m_attributes.data(), m_attributeCount });
    }
    return q - (b + pos) + 1;
}

void XmlStreamParser::pushOpenName(std::string_view name)
{
    if (m_openNames.size() - m_openNamesEnd < name.size() + 16)
        m_openNames.resize(2 * (m_openNamesEnd + name.size() + 16));
    std::memcpy(m_openNames.data() + m_openNamesEnd, name.data(), name.size());
    m_openStarts.push_back(m_openNamesEnd);
    m_openNamesEnd += name.size();
}

qsizetype XmlStreamParser::endTag(size_t pos)
{
    const char* b = m_data;
    const size_t size = m_size;
    const size_t from = pos + std::max<size_t>(2, m_scanned);
    const auto* gt = static_cast<const char*>(std::memchr(b + from, '>', size - from));
    if (!gt) {
        m_scanned = size - pos;
        return 0;
    }
    std::string_view name(b + pos + 2, gt - b - pos - 2);
    while (!name.empty() && isSpace(name.back()))
        name.remove_suffix(1);
    if (m_openStarts.empty())
        return broken(QStringLiteral("多余的结束标签</%1>").arg(QString::fromUtf8(name)));
    const std::string_view open = innermostName();
    if (name != open) {
        return broken(QStringLiteral("开始标签<%1>与结束标签</%2>不配对")
                          .arg(QString::fromUtf8(open.data(), static_cast<qsizetype>(open.size())),
                               QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    }
    popOpenName();
    m_handler.endElement();
    return gt - b - static_cast<qsizetype>(pos) + 1;
}

qsizetype XmlStreamParser::special(size_t pos, bool atEnd)
{
    const std::string_view rest = std::string_view(m_data, m_size).substr(pos);
    if (rest[1] == '?')
        return findEnd(pos, "?>", 2);
    static constexpr std::string_view kComment = "<!--";
    static constexpr std::string_view kData = "<![CDATA[";
    static constexpr std::string_view kDoctype = "<!DOCTYPE";
    if (rest.starts_with(kComment))
        return findEnd(pos, "-->", kComment.size());
    if (rest.starts_with(kData)) {
        const qsizetype used = findEnd(pos, "]]>", kData.size());
        if (used > 0 && !m_openStarts.empty()) {
            const std::string_view data = rest.substr(kData.size(), static_cast<size_t>(used) - kData.size() - 3);
            if (data.find('\r') == std::string_view::npos) {
                if (!data.empty())
                    m_handler.text(data);
            } else {
                m_scratch.clear();
                for (size_t i = 0; i < data.size(); ++i) {
                    if (data[i] != '\r')
                        m_scratch += data[i];
                    else if (i + 1 >= data.size() || data[i + 1] != '\n')
                        m_scratch += '\n';
                }
                m_handler.text(m_scratch);
            }
        }
        return used;
    }
    if (rest.starts_with(kDoctype))
        return fail(Failure::Doctype) ? 0 : -1;
    const auto couldBecome
        = [&rest](std::string_view markup) { return rest.size() < markup.size() && markup.starts_with(rest); };
    if (!atEnd && (couldBecome(kComment) || couldBecome(kData) || couldBecome(kDoctype)))
        return 0;
    return broken(QStringLiteral("无法识别的标记"));
}

qsizetype XmlStreamParser::findEnd(size_t pos, std::string_view terminator, size_t skip)
{
    const size_t back = terminator.size() - 1;
    const size_t from = pos + std::max(skip, m_scanned > back ? m_scanned - back : 0);
    const size_t found = std::string_view(m_data, m_size).find(terminator, from);
    if (found == std::string_view::npos) {
        m_scanned = m_size - pos;
        return 0;
    }
    return static_cast<qsizetype>(found + terminator.size() - pos);
}

} // namespace pelorin::workbook::xlsx
