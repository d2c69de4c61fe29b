#include "record/RecordWriter.h"

#include "model/ChangeNotes.h"
#include "record/RecordFormat.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

namespace pelorin::record {

namespace {

QJsonObject changeObject(const ListChange& change)
{
    QJsonObject object {
        { QStringLiteral("op"), opName(change.type) },
        { QStringLiteral("category"), change.category },
        { QStringLiteral("list"), listName(change.list) },
    };
    // A shuffle is written as its seed (in the command's details), never as the order it gave.
    if (change.type != ListChange::Type::Shuffle)
        object.insert(QStringLiteral("names"), QJsonArray::fromStringList(change.names));
    if (change.type == ListChange::Type::Remove)
        object.insert(QStringLiteral("index"), change.index);
    return object;
}

QJsonArray changesOf(const SessionChange& command)
{
    QJsonArray array;
    bool shuffled = false;
    for (const ListChange& change : command.lists) {
        array.append(changeObject(change));
        shuffled = shuffled || change.type == ListChange::Type::Shuffle;
    }
    // A shuffle of fewer than two names changes nothing and leaves no change of its own; its seed still
    // belongs to the wheel the start laid out.
    if (!shuffled && command.details.contains(shufflenotes::Seed)) {
        ListChange none;
        none.type = ListChange::Type::Shuffle;
        none.category = command.category;
        none.list = ListKind::Candidates;
        array.append(changeObject(none));
    }
    return array;
}

QJsonArray fieldsOf(const SessionChange& command)
{
    // The texts of the pages only: the window-level texts are folders and file paths of this computer,
    // which a published record has no need of.
    QJsonArray array;
    for (const FieldChange& field : command.fields)
        if (field.category >= 0)
            array.append(QJsonObject { { QStringLiteral("category"), field.category },
                                       { QStringLiteral("field"), field.field },
                                       { QStringLiteral("value"), field.value } });
    return array;
}

// What a command's line holds beside its changes: for a stop, the facts the check recomputes, in whole numbers
// (the journal keeps what the draw window noted, the degrees of a run-out's rest among them).
QJsonObject detailsOf(const SessionChange& command)
{
    const QJsonObject& d = command.details;
    if (command.kind != QLatin1String("stop") || !d.contains(drawnotes::Name))
        return d;
    const bool slow = d.value(drawnotes::SlowStop).toBool();
    QJsonObject stop {
        { QStringLiteral("name"), d.value(drawnotes::Name) },
        { QStringLiteral("sector"), d.value(drawnotes::Sector) },
        { QStringLiteral("slowStop"), slow },
        { QStringLiteral("angle"),
          slow ? d.value(drawnotes::SlowStopPressAngle).toInteger() : qint64(d.value(drawnotes::Angle).toDouble()) },
        { QStringLiteral("position"), d.value(drawnotes::ShownSteps).toInteger() },
    };
    if (slow)
        stop.insert(QStringLiteral("turn"), d.value(drawnotes::SlowStopTurn).toInteger());
    return stop;
}

bool recordsAnything(const SessionChange& command)
{
    return !command.lists.empty() || !command.details.isEmpty()
        || std::any_of(command.fields.begin(), command.fields.end(),
                       [](const FieldChange& field) { return field.category >= 0; });
}

} // namespace

QJsonObject eventObject(const SessionChange& command)
{
    return {
        { QStringLiteral("seq"), command.sequence },
        { QStringLiteral("kind"), command.kind },
        { QStringLiteral("category"), command.category },
        { QStringLiteral("categoryName"),
          command.category >= 0 && command.category < CategoryCount ? categoryName(command.category) : QString() },
        { QStringLiteral("time"), utcText(command.time) },
        { QStringLiteral("localTime"), localText(command.time) },
        { QStringLiteral("details"), detailsOf(command) },
        { QStringLiteral("changes"), changesOf(command) },
        { QStringLiteral("fields"), fieldsOf(command) },
    };
}

WrittenRecord writeRecord(const RecordHeader& header, const std::vector<SessionChange>& commands)
{
    WrittenRecord record;
    QByteArray line = canonicalLine({
        { QStringLiteral("format"), QString::fromLatin1(FormatName) },
        { QStringLiteral("formatVersion"), FormatVersion },
        { QStringLiteral("program"), QStringLiteral("Pelorin") },
        { QStringLiteral("programVersion"), header.programVersion },
        { QStringLiteral("sessionStarted"), utcText(header.sessionStarted) },
        { QStringLiteral("sessionStartedLocal"), localText(header.sessionStarted) },
        { QStringLiteral("written"), utcText(header.written) },
    });
    auto put = [&record](const QByteArray& text) {
        record.bytes.append(text);
        record.bytes.append('\n');
    };
    put(line);
    for (const SessionChange& command : commands) {
        // A command that changed only texts of the window (folders, paths) leaves nothing a record holds.
        if (!recordsAnything(command))
            continue;
        QJsonObject event = eventObject(command);
        event.insert(QStringLiteral("seq"), record.events + 1);
        event.insert(QStringLiteral("prev"), lineHash(line));
        line = canonicalLine(event);
        put(line);
        ++record.events;
    }
    line = canonicalLine({ { QStringLiteral("end"), true },
                           { QStringLiteral("events"), record.events },
                           { QStringLiteral("prev"), lineHash(line) } });
    put(line);
    record.checkCode = lineHash(line);
    return record;
}

} // namespace pelorin::record
