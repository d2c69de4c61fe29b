#pragma once

#include "model/Categories.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace pelorin {

// The three lists of a category.
enum class ListKind
{
    Candidates = 0, // List1
    Results = 1, // List5
    History = 2, // List4
};

// One change to one list. Replaying the changes of every command in order rebuilds every list.
struct ListChange
{
    enum class Type
    {
        Append, // names appended at the end
        Remove, // the item at index removed; names holds the removed text, one item
        Clear, // every item removed; names holds them
        Replace, // the list's items replaced by names (an import, an exclusion)
        // The list shuffled with the picks of the command's details' shuffleSeed; names is empty, the seed
        // recomputes the order.
        Shuffle,
    };

    Type type = Type::Append;
    Category category = 0;
    ListKind list = ListKind::Candidates;
    int index = -1; // Remove only
    QStringList names;

    friend bool operator==(const ListChange&, const ListChange&) = default;
};

// A text field of a page or of the window that a command set.
struct FieldChange
{
    // A page's field: "candidateCounter", "presetCount", "drawnCount" with its category;
    // a window-level text: "SourceFolder", "SourceFileTail", "ImportStamp", "ExportPath", "CurCategory"
    // with category -1.
    Category category = -1;
    QString field;
    QString value;

    friend bool operator==(const FieldChange&, const FieldChange&) = default;
};

// What one user command changed, as one unit: committed together, restored together, recorded as one
// line. Commands that change nothing leave no record.
struct SessionChange
{
    qint64 sequence = 0; // 1, 2, 3 ... within a session
    // "import", "importHistory", "manualEntry", "delete", "clear", "shuffle", "exclude", "handBack",
    // "start", "stop", "close", the witnessed draw's "commit", "witness", "reveal", "substitute", an inspection
    // task assignment's "assign", or "edit" for a change made outside any named command.
    QString kind;
    Category category = -1; // the category the command worked on, -1 for none
    QDateTime time; // when the command ran, UTC with milliseconds
    // Facts the lists alone do not hold: an import's file name and SHA-256, a shuffle's seed, a stop's
    // angle and sector. Keys are the recorder's; the journal stores them as they are.
    QJsonObject details;
    std::vector<ListChange> lists;
    std::vector<FieldChange> fields;
};

} // namespace pelorin
