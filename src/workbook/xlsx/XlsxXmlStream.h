#pragma once

#include <QString>
#include <QStringDecoder>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelorin::workbook::xlsx {

struct XmlAttribute
{
    std::string_view name; // as written, with its prefix
    std::string_view value; // entities decoded
};

// The first attribute of this name without a prefix ("r", not "x:r"), as attribute() finds it; null when absent.
template <size_t N> const XmlAttribute* findAttribute(std::span<const XmlAttribute> attributes, const char (&name)[N])
{
    for (const XmlAttribute& a : attributes) {
        if (a.name.size() == N - 1 && std::memcmp(a.name.data(), name, N - 1) == 0)
            return &a;
    }
    return nullptr;
}

// Receives a document piece by piece. Views are valid only during the call.
class XmlStreamHandler
{
public:
    virtual ~XmlStreamHandler() = default;
    // An element opens; name is its local name, without a prefix.
    virtual void startElement(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
    // The innermost open element closes.
    virtual void endElement() = 0;
    // Character data directly inside the innermost open element, decoded; one run may come in several calls.
    virtual void text(std::string_view utf8) = 0;
};

// Parses XML as it arrives, holding only the markup not yet complete, so a part never needs to be in
// memory whole. Entities beyond the five predefined ones and character references are not expanded, a
// document type declaration is refused, and line ends are normalised as XML requires.
class XmlStreamParser
{
public:
    explicit XmlStreamParser(XmlStreamHandler& handler);

    // Parses the next piece; false once the document is known to be broken.
    bool feed(const char* data, qsizetype size);
    // After the last piece: false when the document stops inside markup, leaves elements open or has none.
    bool finish();
    // The reason for the last failure, naming the part.
    QString error(const QString& partName) const;

private:
    enum class Failure
    {
        None,
        Malformed,
        Doctype,
        Empty
    };

    bool process(std::string_view utf8);
    // Parses the held-back bytes, dropping what was used.
    bool parseBuffer(bool atEnd);
    // Parses data as far as it is complete; used tells how far that is.
    bool parse(const char* data, size_t size, bool atEnd, size_t& used);
    // Each works on the bytes being parsed and returns the bytes used from pos, 0 when the markup is not yet
    // complete, or -1 on error.
    bool tagArrived(size_t pos);
    // The common tag read quickly; 0 for any other, which startTag reads.
    qsizetype plainStartTag(size_t pos);
    qsizetype startTag(size_t pos);
    // The common end tag read quickly; 0 for any other, which endTag reads.
    qsizetype plainEndTag(size_t pos);
    qsizetype endTag(size_t pos);
    qsizetype special(size_t pos, bool atEnd);
    qsizetype findEnd(size_t pos, std::string_view terminator, size_t skip);
    size_t emitText(size_t from, size_t to, bool more);
    bool fail(Failure failure, const QString& detail = {});
    qsizetype broken(const QString& detail);

    XmlStreamHandler& m_handler;
    // Bytes a piece left unfinished, held until the next piece completes them.
    std::string m_buffer;
    // The bytes being parsed: the held-back ones, or a piece where it lies.
    const char* m_data = nullptr;
    size_t m_size = 0;
    std::string m_scratch;
    std::string m_attributeText;
    // The attributes of the tag at hand are the first m_attributeCount; the slots after them are kept for the next
    // tags, so that a tag costs no allocation.
    std::vector<XmlAttribute> m_attributes = std::vector<XmlAttribute>(16);
    size_t m_attributeCount = 0;
    void addAttribute(std::string_view name, std::string_view value)
    {
        if (m_attributeCount == m_attributes.size())
            m_attributes.resize(2 * m_attributeCount);
        m_attributes[m_attributeCount++] = { name, value };
    }
    // The names of the open elements one after another, up to m_openNamesEnd, and where each starts. Sixteen bytes
    // or more lie past the end, so that a short name is copied and compared as one block.
    std::string m_openNames = std::string(64, '\0');
    size_t m_openNamesEnd = 0;
    std::vector<size_t> m_openStarts;
    void pushOpenName(std::string_view name);
    std::string_view innermostName() const
    {
        return { m_openNames.data() + m_openStarts.back(), m_openNamesEnd - m_openStarts.back() };
    }
    void popOpenName()
    {
        m_openNamesEnd = m_openStarts.back();
        m_openStarts.pop_back();
    }
    // How far the unfinished markup at the front of the buffer has been searched, and in which quote.
    size_t m_scanned = 0;
    char m_quote = 0;
    std::optional<QStringDecoder> m_decoder;
    bool m_encodingKnown = false;
    bool m_rootSeen = false;
    Failure m_failure = Failure::None;
    QString m_detail;
};

} // namespace pelorin::workbook::xlsx
