#include "lists/Exclusion.h"

#include <QHash>

namespace pelorin {

QStringList excludeHistory(const QStringList& candidates, const QStringList& history)
{
    // A name k times in the history removes its first k copies among the candidates: removing one by one
    // from the top, each history name always takes the earliest copy left. Names never affect each other.
    QHash<QString, int> pending;
    pending.reserve(history.size());
    for (const QString& name : history)
        ++pending[name];

    QStringList kept;
    kept.reserve(candidates.size());
    for (const QString& name : candidates) {
        const auto it = pending.find(name);
        if (it != pending.end() && it.value() > 0) {
            --it.value();
            continue;
        }
        kept.append(name);
    }
    return kept;
}

} // namespace pelorin
