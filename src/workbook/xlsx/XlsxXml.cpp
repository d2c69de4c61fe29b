#include "workbook/xlsx/XlsxXml.h"

#include <QUrl>
#include <cstring>

namespace pelorin::workbook::xlsx {

const char* localName(const char* qualified)
{
    const char* colon = std::strrchr(qualified, ':');
    return colon ? colon + 1 : qualified;
}

bool isNamed(const pugi::xml_node& node, const char* local)
{
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), local) == 0;
}

pugi::xml_node child(const pugi::xml_node& node, const char* local)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (isNamed(c, local))
            return c;
    }
    return {};
}

pugi::xml_attribute attribute(const pugi::xml_node& node, const char* local, bool wantPrefix)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        const char* bare = localName(name);
        if ((bare != name) == wantPrefix && std::strcmp(bare, local) == 0)
            return a;
    }
    return {};
}

namespace {

QString checkParsed(const pugi::xml_document& doc, const pugi::xml_parse_result& result, const QString& partName);

// Whitespace-only text is kept where it is the whole content: a cell may hold just spaces.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single;

} // namespace

QString parse(pugi::xml_document& doc, const QByteArray& data, const QString& partName, unsigned extraOptions)
{
    const pugi::xml_parse_result result
        = doc.load_buffer(data.constData(), static_cast<size_t>(data.size()), kParseOptions | extraOptions);
    return checkParsed(doc, result, partName);
}

namespace {

QString checkParsed(const pugi::xml_document& doc, const pugi::xml_parse_result& result, const QString& partName)
{
    if (!result)
        return malformedError(partName, text(result.description()));
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_doctype)
            return doctypeError(partName);
    }
    if (!doc.document_element())
        return emptyPartError(partName);
    return {};
}

} // namespace

QString malformedError(const QString& partName, const QString& detail)
{
    return QStringLiteral("工作簿部件“%1”不是有效的XML（%2）。").arg(partName, detail);
}

QString doctypeError(const QString& partName)
{
    return QStringLiteral("工作簿部件“%1”含有文档类型声明（DOCTYPE），出于安全原因拒绝读取。").arg(partName);
}

QString emptyPartError(const QString& partName)
{
    return QStringLiteral("工作簿部件“%1”是空的。").arg(partName);
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString fromUtf8(std::string_view utf8)
{
    // Names are mostly characters of one to three bytes, which are decoded here in one pass. Anything else goes
    // to Qt: four-byte characters, malformed bytes (each replaced as Qt does), the byte order mark (which Qt drops
    // at the start) and non-characters.
    QString out(static_cast<qsizetype>(utf8.size()), Qt::Uninitialized);
    auto* const start = reinterpret_cast<char16_t*>(out.data());
    char16_t* o = start;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) {
            *o++ = static_cast<char16_t>(c);
            ++p;
            continue;
        }
        if ((c & 0xF0) == 0xE0 && end - p >= 3) {
            // Continuation bytes are 10xxxxxx: with the top bit flipped, below 0x40.
            const unsigned b1 = p[1] ^ 0x80u;
            const unsigned b2 = p[2] ^ 0x80u;
            const unsigned u = ((c & 0x0F) << 12) | (b1 << 6) | b2;
            // CJK and most else lie between U+0800 and the surrogates; above them, full-width forms among others.
            if ((b1 | b2) < 0x40 && u >= 0x800
                && (u < 0xD800 || (u >= 0xE000 && (u < 0xFDD0 || u >= 0xFDF0) && u != 0xFEFF && u < 0xFFFE))) {
                *o++ = static_cast<char16_t>(u);
                p += 3;
                continue;
            }
        } else if (c >= 0xC2 && c < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            *o++ = static_cast<char16_t>(((c & 0x1F) << 6) | (p[1] & 0x3Fu));
            p += 2;
            continue;
        }
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    out.truncate(o - start);
    return out;
}

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The code of an escape starting at i ("_x0041_"), or -1.
int escapeAt(const QString& s, qsizetype i)
{
    if (i + 7 > s.size() || s[i] != u'_' || s[i + 1] != u'x' || s[i + 6] != u'_')
        return -1;
    int code = 0;
    for (qsizetype k = i + 2; k < i + 6; ++k) {
        const int h = hexValue(s[k]);
        if (h < 0)
            return -1;
        code = code * 16 + h;
    }
    return code;
}

bool xmlCannotHold(char16_t u)
{
    return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF;
}

} // namespace

QString decodeEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const int code = escapeAt(text, i);
        if (code >= 0) {
            out.append(QChar(static_cast<char16_t>(code)));
            i += 7;
        } else {
            out.append(text[i]);
            ++i;
        }
    }
    return out;
}

QString encodeEscapes(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const auto escape = [&out](char16_t u) {
        out += QStringLiteral("_x%1_").arg(QString::number(u, 16).toUpper().rightJustified(4, u'0'));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append(text[i]);
            out.append(text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(u) || xmlCannotHold(u) || u == u'\r' || (u == u'_' && escapeAt(text, i) >= 0)) {
            // A carriage return is escaped too, since XML readers turn it into a line feed.
            escape(u);
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

QString relsPartName(const QString& partName)
{
    const qsizetype slash = partName.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : partName.left(slash + 1);
    return folder + QLatin1String("_rels/") + partName.mid(slash + 1) + QLatin1String(".rels");
}

QString resolveTarget(const QString& sourcePart, const QString& target)
{
    QString path = QUrl::fromPercentEncoding(target.toUtf8());
    const qsizetype hash = path.indexOf(u'#');
    if (hash >= 0)
        path.truncate(hash);
    path.replace(u'\\', u'/');
    QStringList segments;
    if (!path.startsWith(u'/')) {
        segments = sourcePart.split(u'/');
        segments.removeLast();
    }
    for (const QString& segment : path.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty())
                segments.removeLast();
            continue;
        }
        segments.append(segment);
    }
    return segments.join(u'/');
}

std::vector<Relationship> readRelationships(const pugi::xml_document& doc, const QString& sourcePart)
{
    std::vector<Relationship> rels;
    for (pugi::xml_node n = doc.document_element().first_child(); n; n = n.next_sibling()) {
        if (!isNamed(n, "Relationship"))
            continue;
        Relationship rel;
        rel.id = text(attribute(n, "Id").value());
        rel.type = text(attribute(n, "Type").value());
        rel.external = QString::fromUtf8(attribute(n, "TargetMode").value())
                           .compare(QLatin1String("External"), Qt::CaseInsensitive)
            == 0;
        const QString target = text(attribute(n, "Target").value());
        rel.target = rel.external ? target : resolveTarget(sourcePart, target);
        rels.push_back(std::move(rel));
    }
    return rels;
}

bool typeIs(const QString& type, QLatin1String name)
{
    return type.endsWith(QLatin1Char('/') + name, Qt::CaseInsensitive);
}

} // namespace pelorin::workbook::xlsx
