#pragma once

#include "model/SessionChange.h"

#include <QJsonObject>
#include <QStringList>

namespace pelorin {

// Applies one list change to the list's items. A shuffle takes its picks from the seed in details
// ("shuffleSeed"); Remove skips an index outside the list. The one place where a change becomes a list:
// the session's commands, its restore and the record's replay all come here.
void applyListChange(QStringList& items, const ListChange& change, const QJsonObject& details);

} // namespace pelorin
