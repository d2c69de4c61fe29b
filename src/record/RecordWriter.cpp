#include "record/RecordWriter.h"

#include "model/ChangeNotes.h"
#include "record/RecordFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
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
    // A witnessed start's shuffle continues the opening's stream; the journal keeps the order it gave, the
    // record only that it was shuffled, which the check recomputes from the revealed seed.
    const bool witnessedStart
        = command.kind == QLatin1String("start") && command.details.contains(witnessnotes::Witnessed);
    for (ListChange change : command.lists) {
        if (witnessedStart && change.type == ListChange::Type::Replace && change.list == ListKind::Candidates)
            change.type = ListChange::Type::Shuffle;
        array.append(changeObject(change));
        shuffled = shuffled || change.type == ListChange::Type::Shuffle;
    }
    // A shuffle of fewer than two names changes nothing and leaves no change of its own; its seed still
    // belongs to the wheel the start laid out.
    if (!shuffled && (command.details.contains(shufflenotes::Seed) || witnessedStart)) {
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
    if (d.contains(witnessnotes::Witnessed))
        stop.insert(witnessnotes::Witnessed, true);
    return stop;
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

QByteArray headLine(const RecordHeader& header)
{
    return canonicalLine({
        { QStringLiteral("format"), QString::fromLatin1(FormatName) },
        { QStringLiteral("formatVersion"), FormatVersion },
        { QStringLiteral("program"), QStringLiteral("Pelorin") },
        { QStringLiteral("programVersion"), header.programVersion },
        { QStringLiteral("sessionStarted"), utcText(header.sessionStarted) },
        { QStringLiteral("sessionStartedLocal"), localText(header.sessionStarted) },
        { QStringLiteral("written"), utcText(header.written) },
    });
}

bool recordsAnything(const SessionChange& command)
{
    return !command.lists.empty() || !command.details.isEmpty()
        || std::any_of(command.fields.begin(), command.fields.end(),
                       [](const FieldChange& field) { return field.category >= 0; });
}

namespace {

QJsonObject eventAt(const SessionChange& command, const QByteArray& previous, int seq)
{
    QJsonObject event = eventObject(command);
    event.insert(QStringLiteral("seq"), seq);
    event.insert(QStringLiteral("prev"), lineHash(previous));
    return event;
}

} // namespace

QByteArray commandLine(const SessionChange& command, const QByteArray& previous, int seq)
{
    return canonicalLine(eventAt(command, previous, seq));
}

Chain chainOf(const RecordHeader& header, const std::vector<SessionChange>& commands)
{
    Chain chain;
    chain.head = headLine(header);
    chain.lines.reserve(commands.size());
    for (const SessionChange& command : commands)
        if (recordsAnything(command))
            chain.lines.push_back(commandLine(command, chain.last(), int(chain.lines.size()) + 1));
    return chain;
}

WrittenRecord closeChain(const Chain& chain)
{
    WrittenRecord record;
    auto put = [&record](const QByteArray& text) {
        record.bytes.append(text);
        record.bytes.append('\n');
    };
    put(chain.head);
    for (const QByteArray& line : chain.lines)
        put(line);
    record.events = static_cast<int>(chain.lines.size());
    const QByteArray end = canonicalLine({ { QStringLiteral("end"), true },
                                           { QStringLiteral("events"), record.events },
                                           { QStringLiteral("prev"), lineHash(chain.last()) } });
    put(end);
    record.checkCode = lineHash(end);
    return record;
}

WrittenRecord writeRecord(const RecordHeader& header, const std::vector<SessionChange>& commands)
{
    return closeChain(chainOf(header, commands));
}

int firstBreak(const Chain& chain, const std::vector<SessionChange>& commands)
{
    // The local time a line shows depends on the computer's time zone when it was written; the UTC time
    // beside it is what the command keeps, so the local one is left out of the comparison.
    const QString local = QStringLiteral("localTime");
    std::size_t next = 0;
    for (const SessionChange& command : commands) {
        if (!recordsAnything(command))
            continue;
        const int lineNumber = int(next) + 2;
        if (next == chain.lines.size())
            return lineNumber;
        const QByteArray& line = chain.lines[next];
        QJsonObject expected = eventAt(command, next == 0 ? chain.head : chain.lines[next - 1], int(next) + 1);
        ++next;
        if (canonicalLine(expected) == line)
            continue;
        QJsonObject stored = QJsonDocument::fromJson(line).object();
        const bool canonical = !stored.isEmpty() && canonicalLine(stored) == line;
        expected.remove(local);
        stored.remove(local);
        if (!canonical || canonicalLine(stored) != canonicalLine(expected))
            return lineNumber;
    }
    return next == chain.lines.size() ? 0 : int(next) + 2;
}

QString roomCode(const QByteArray& line)
{
    const QString hash = lineHash(line);
    return hash.left(4) + QLatin1Char(' ') + hash.mid(4, 4);
}

} // namespace pelorin::record
