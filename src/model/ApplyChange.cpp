#include "model/ApplyChange.h"

#include "model/ChangeNotes.h"
#include "model/SeededStream.h"
#include "model/Shuffle.h"

namespace pelorin {

void applyListChange(QStringList& items, const ListChange& change, const QJsonObject& details)
{
    switch (change.type) {
    case ListChange::Type::Append:
        items.append(change.names);
        break;
    case ListChange::Type::Remove:
        if (change.index >= 0 && change.index < items.size())
            items.removeAt(change.index);
        break;
    case ListChange::Type::Clear:
        items.clear();
        break;
    case ListChange::Type::Replace:
        items = change.names;
        break;
    case ListChange::Type::Shuffle:
        if (const std::optional<ShuffleSeed> seed
            = ShuffleSeed::fromHex(details.value(shufflenotes::Seed).toString())) {
            SeededStream stream(*seed);
            items = shuffledItems(std::move(items), stream);
        }
        break;
    }
}

} // namespace pelorin
