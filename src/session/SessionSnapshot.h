#pragma once

#include "app/CommandRecord.h"

#include <array>
#include <map>
#include <utility>
#include <vector>

namespace pelorin {

// Every list and field of a session as its commands left them.
struct SessionSnapshot
{
    // lists[category][ListKind]
    std::array<std::array<QStringList, 3>, CategoryCount> lists;
    // The last value of each field a command set, by (category, field name).
    std::map<std::pair<Category, QString>, QString> fields;

    // Applies one command's changes. A change that does not fit the lists (an index past the end, an
    // unknown category) is skipped rather than trusted.
    void apply(const CommandRecord& record);
    static SessionSnapshot replay(const std::vector<CommandRecord>& records);

    std::vector<FieldChange> fieldChanges() const;
    const QStringList& list(Category category, ListKind kind) const
    {
        return lists.at(static_cast<std::size_t>(category)).at(static_cast<std::size_t>(kind));
    }

    friend bool operator==(const SessionSnapshot&, const SessionSnapshot&) = default;
};

} // namespace pelorin
