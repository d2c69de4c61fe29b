#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

// Whether a name holds a character one cannot see or that is no text: controls, format characters (a
// zero-width space, a byte-order mark, direction marks), line and paragraph separators, and spaces other
// than the plain space. Such a name prints like another name it is not.
bool hasInvisibleCharacters(const QString& name);

// The name with each such character written out as "<U+200B>", so a reader sees it.
QString withInvisibleShown(const QString& name);

// The name without such characters: what a reader sees of it.
QString withoutInvisible(const QString& name);

// Those of names that hold such characters, shown, each once, at most limit of them.
QStringList invisibleNamesShown(const QStringList& names, int limit = 20);

} // namespace pelorin
