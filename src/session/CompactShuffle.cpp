#include "session/CompactShuffle.h"

#include "lists/ListFingerprint.h"
#include "lists/SeededShuffle.h"
#include "lists/SeededStream.h"
#include "lists/Shuffle.h"

namespace pelorin {

void compactShuffle(CommandRecord& record)
{
    const std::optional<ShuffleSeed> seed
        = ShuffleSeed::fromHex(record.details.value(shufflenotes::Seed).toString());
    if (!seed || record.lists.empty())
        return;
    // A shuffle is the last change of its command.
    ListChange& change = record.lists.back();
    if (change.type != ListChange::Type::Replace || change.list != ListKind::Candidates
        || change.category != record.category)
        return;
    const QStringList& after = change.names;
    SeededStream stream(*seed);
    const std::vector<int> order = shuffledOrder(static_cast<int>(after.size()), stream);
    if (order.size() != static_cast<std::size_t>(after.size()))
        return;
    QStringList before(after.size());
    for (qsizetype k = 0; k < after.size(); ++k)
        before[order[static_cast<std::size_t>(k)]] = after[k];
    if (listFingerprint(before) != record.details.value(shufflenotes::Fingerprint).toString())
        return;
    change.type = ListChange::Type::Shuffle;
    change.names.clear();
}

} // namespace pelorin
