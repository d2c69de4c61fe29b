#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

namespace pelorin::workbook::xlsx {

// Element and attribute names without their namespace prefix, so transitional and strict
// packages read alike.
const char* localName(const char* qualified);
bool isNamed(const pugi::xml_node& node, const char* local);
pugi::xml_node child(const pugi::xml_node& node, const char* local);
// An attribute by local name; "r:id" and "id" are told apart by wantPrefix.
pugi::xml_attribute attribute(const pugi::xml_node& node, const char* local, bool wantPrefix = false);

// Parses a part; a document type declaration is refused, since packages never need one and it is the
// door to entity tricks. Returns an empty text on success, otherwise the reason.
QString parse(pugi::xml_document& doc, const QByteArray& data, const QString& partName, unsigned extraOptions = 0);

// Why a part cannot be read, in the words every reader of parts uses.
QString malformedError(const QString& partName, const QString& detail);
QString doctypeError(const QString& partName);
QString emptyPartError(const QString& partName);

QString text(const char* utf8);
// The text of UTF-8 bytes, as QString::fromUtf8 gives it.
QString fromUtf8(std::string_view utf8);

// Undoes the _xHHHH_ escapes of spreadsheet text.
QString decodeEscapes(const QString& text);
// Escapes what XML cannot hold (control characters, lone surrogates, non-characters) and a literal
// "_xHHHH_" that a reader would otherwise take for an escape.
QString encodeEscapes(const QString& text);

struct Relationship
{
    QString id;
    QString type;
    QString target; // the part name it points to, resolved, without a leading "/"
    bool external = false;
};

// The relationships part that belongs to a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
QString relsPartName(const QString& partName);
// Resolves a relationship target against the part that holds it; absolute targets start at the root.
QString resolveTarget(const QString& sourcePart, const QString& target);
std::vector<Relationship> readRelationships(const pugi::xml_document& doc, const QString& sourcePart);
// True when the relationship type ends in this name (".../officeDocument", ".../worksheet").
bool typeIs(const QString& type, QLatin1String name);

} // namespace pelorin::workbook::xlsx
