#include "model/Exclusion.h"

#include <QHashFunctions>
#include <unordered_map>

namespace pelorin {

namespace {

// QHash hashes with a random per-process seed, and that seeded string hash costs several times the
// whole pass on full lists. The names come from the user's own lists, so there is nothing to guard.
struct UnseededHash
{
    std::size_t operator()(QStringView name) const noexcept { return qHash(name); }
};

} // namespace

QStringList excludeHistory(const QStringList& candidates, const QStringList& history)
{
    // A name k times in the history removes its first k copies among the candidates: removing one by one
    // from the top, each history name always takes the earliest copy left. Names never affect each other.
    // The keys are views into the history list, which outlives the table.
    std::unordered_map<QStringView, int, UnseededHash> pending;
    pending.reserve(static_cast<std::size_t>(history.size()));
    for (const QString& name : history)
        ++pending[QStringView(name)];

    QStringList kept;
    kept.reserve(candidates.size());
    for (const QString& name : candidates) {
        const auto it = pending.find(QStringView(name));
        if (it != pending.end() && it->second > 0) {
            --it->second;
            continue;
        }
        kept.append(name);
    }
    return kept;
}

QStringList removedNames(const QStringList& candidates, const QStringList& kept)
{
    QStringList removed;
    qsizetype k = 0;
    for (const QString& name : candidates) {
        // kept keeps the candidates' order, so each of its names is the next equal candidate.
        if (k < kept.size() && kept[k] == name)
            ++k;
        else
            removed.append(name);
    }
    return removed;
}

} // namespace pelorin
