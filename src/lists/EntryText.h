#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pelorin {

// The separator the typed text's line breaks become while it is split; never stored in a list.
inline QString entryLineMarker()
{
    return QStringLiteral("[@]");
}

// Turns the text of the manual entry area (lines separated by CR LF) into the names to append, in order,
// empty names included. nullopt when the text holds no name at all (empty, or only spaces and control
// characters that are dropped).
std::optional<QStringList> splitEntryText(const QString& text);

} // namespace pelorin
