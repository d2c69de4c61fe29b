#include "session/SessionSnapshot.h"

#include "lists/SeededShuffle.h"
#include "lists/SeededStream.h"
#include "lists/Shuffle.h"

namespace pelorin {

void SessionSnapshot::apply(const CommandRecord& record)
{
    for (const ListChange& change : record.lists) {
        const int kind = static_cast<int>(change.list);
        if (change.category < 0 || change.category >= CategoryCount || kind < 0 || kind > 2)
            continue;
        QStringList& list = lists.at(static_cast<std::size_t>(change.category)).at(static_cast<std::size_t>(kind));
        switch (change.type) {
        case ListChange::Type::Append:
            list.append(change.names);
            break;
        case ListChange::Type::Remove:
            if (change.index >= 0 && change.index < list.size())
                list.removeAt(change.index);
            break;
        case ListChange::Type::Clear:
            list.clear();
            break;
        case ListChange::Type::Replace:
            list = change.names;
            break;
        case ListChange::Type::Shuffle:
            if (const std::optional<ShuffleSeed> seed
                = ShuffleSeed::fromHex(record.details.value(shufflenotes::Seed).toString())) {
                SeededStream stream(*seed);
                list = shuffledItems(std::move(list), stream);
            }
            break;
        }
    }
    for (const FieldChange& field : record.fields)
        fields[{ field.category, field.field }] = field.value;
}

SessionSnapshot SessionSnapshot::replay(const std::vector<CommandRecord>& records)
{
    SessionSnapshot snapshot;
    for (const CommandRecord& record : records)
        snapshot.apply(record);
    return snapshot;
}

std::vector<FieldChange> SessionSnapshot::fieldChanges() const
{
    std::vector<FieldChange> changes;
    changes.reserve(fields.size());
    for (const auto& [key, value] : fields)
        changes.push_back({ key.first, key.second, value });
    return changes;
}

} // namespace pelorin
