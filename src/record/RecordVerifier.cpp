#include "record/RecordVerifier.h"

#include "record/RecordFormat.h"
#include "record/RecordReplay.h"
#include "record/RecordWriter.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace pelorin::record {

namespace {

enum class Read
{
    Line,
    End, // nothing more in the file
    TooLong,
    Unterminated, // the file ends inside a line
};

Read readLine(QIODevice& device, QByteArray& line)
{
    // Piece by piece: asking QIODevice for a line of up to the limit would set aside the whole limit for
    // every line.
    line.clear();
    char piece[64 * 1024];
    for (;;) {
        const qint64 got = device.readLine(piece, sizeof piece);
        if (got <= 0)
            break;
        line.append(piece, static_cast<qsizetype>(got));
        if (line.endsWith('\n'))
            break;
        if (line.size() > MaxLineBytes)
            return Read::TooLong;
    }
    if (line.isEmpty())
        return device.atEnd() ? Read::End : Read::Unterminated;
    if (!line.endsWith('\n'))
        return line.size() > MaxLineBytes ? Read::TooLong : Read::Unterminated;
    line.chop(1);
    return line.size() > MaxLineBytes ? Read::TooLong : Read::Line;
}

VerifyReport fail(RecordReplay& replay, VerifyReport::Outcome outcome, int line, const QString& reason)
{
    VerifyReport report;
    report.outcome = outcome;
    report.line = line;
    report.reason = reason;
    replay.finish();
    report.summary = std::move(replay.summary());
    return report;
}

QByteArray withoutByteOrderMark(const QByteArray& line)
{
    // Qt's reader passes over a byte-order mark; the record never has one, and says so at that line.
    return line.startsWith("\xEF\xBB\xBF") ? line.mid(3) : line;
}

} // namespace

VerifyReport verifyRecord(QIODevice& device, WorkbookCheck check)
{
    using Outcome = VerifyReport::Outcome;
    RecordReplay replay;
    RecordSummary& summary = replay.summary();
    QByteArray line;
    QByteArray previous;
    qint64 events = 0;
    bool ended = false;

    for (int number = 1;; ++number) {
        const Read read = readLine(device, line);
        if (read == Read::End) {
            if (number == 1)
                return fail(replay, Outcome::NotARecord, 0, QStringLiteral("文件是空的。"));
            if (!ended)
                return fail(replay, Outcome::Broken, number - 1,
                            QStringLiteral("记录在这一行之后中断，缺少结束行：文件被截短过。"));
            break;
        }
        if (read == Read::TooLong)
            return fail(
                replay, Outcome::NotARecord, number,
                QStringLiteral("这一行（不计换行符）超过 16 MiB（%1 字节），不是摇号记录的一行。").arg(MaxLineBytes));
        // Only the first line decides whether the file is a record at all; from then on, a line that is not
        // what it should be is a record that does not hold, at that line.
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(withoutByteOrderMark(line), &error);
        const bool isObject = error.error == QJsonParseError::NoError && document.isObject();
        const QJsonObject object = document.object();
        if (number == 1) {
            if (!isObject)
                return fail(replay, Outcome::NotARecord, 1, QStringLiteral("第一行不是JSON对象，这不是摇号记录。"));
            if (object.value(QStringLiteral("format")).toString() != QLatin1String(FormatName))
                return fail(replay, Outcome::NotARecord, 1, QStringLiteral("第一行不是摇号记录的开头。"));
            const QJsonValue version = object.value(QStringLiteral("formatVersion"));
            if (version != QJsonValue(FormatVersion) && version != QJsonValue(FirstFormatVersion))
                return fail(
                    replay, Outcome::NotARecord, 1,
                    QStringLiteral("记录的格式版本（%1）不是本程序能核验的版本。").arg(version.toVariant().toString()));
        }
        if (read == Read::Unterminated)
            return fail(replay, Outcome::Broken, number,
                        QStringLiteral("文件在这一行的中间结束（缺少换行符）：文件被截短或改动过。"));
        if (ended)
            return fail(replay, Outcome::Broken, number, QStringLiteral("结束行之后还有内容。"));
        if (line.startsWith("\xEF\xBB\xBF"))
            return fail(replay, Outcome::Broken, number, QStringLiteral("这一行以字节顺序标记（BOM）开头。"));
        if (!isObject)
            return fail(replay, Outcome::Broken, number,
                        error.error == QJsonParseError::NoError
                            ? QStringLiteral("这一行是JSON，但不是JSON对象。")
                            : QStringLiteral("这一行不是有效的JSON（在第 %1 个字节附近出错）。").arg(error.offset + 1));
        summary.lines = number;

        if (number == 1) {
            const QJsonValue version = object.value(QStringLiteral("formatVersion"));
            if (!hasExactly(object,
                            { "format", "formatVersion", "program", "programVersion", "sessionStarted",
                              "sessionStartedLocal", "written" })
                || canonicalLine(object) != line || object.value(QStringLiteral("program")) != QLatin1String("Pelorin")
                || !object.value(QStringLiteral("programVersion")).isString())
                return fail(replay, Outcome::Broken, 1, QStringLiteral("开头一行的写法被改动过。"));
            summary.programVersion = object.value(QStringLiteral("programVersion")).toString();
            summary.sessionStarted = object.value(QStringLiteral("sessionStarted")).toString();
            summary.sessionStartedLocal = object.value(QStringLiteral("sessionStartedLocal")).toString();
            const QDateTime started = utcFromText(summary.sessionStarted);
            const QDateTime written = utcFromText(object.value(QStringLiteral("written")).toString());
            if (!started.isValid() || !written.isValid() || localFromText(summary.sessionStartedLocal) != started)
                return fail(replay, Outcome::Broken, 1,
                            QStringLiteral("开头一行的时间写法无效，或本地时间与UTC时间不是同一时刻。"));
            if (written < started)
                return fail(replay, Outcome::Broken, 1, QStringLiteral("记录写成的时间早于本次摇号开始的时间。"));
            replay.begin(version.toInt(), started, written);
            if (check)
                replay.setWorkbookCheck(std::move(check));
            previous = line;
            continue;
        }

        if (object.value(QStringLiteral("prev")).toString() != lineHash(previous))
            return fail(replay, Outcome::Broken, number,
                        QStringLiteral("这一行记下的上一行哈希与上一行不符：记录被改动过，或有行被删去、调换。"));
        if (canonicalLine(object) != line)
            return fail(replay, Outcome::Broken, number, QStringLiteral("这一行的写法被改动过。"));

        if (object.contains(QStringLiteral("end"))) {
            const QJsonValue count = object.value(QStringLiteral("events"));
            if (!hasExactly(object, { "end", "events", "prev" }) || object.value(QStringLiteral("end")) != true)
                return fail(replay, Outcome::Broken, number,
                            QStringLiteral("结束行应当正好是 end（值为 true）、events 和 prev 三项。"));
            if (!count.isDouble())
                return fail(replay, Outcome::Broken, number, QStringLiteral("结束行的操作数（events）不是整数。"));
            if (count.toDouble() != double(events))
                return fail(replay, Outcome::Broken, number,
                            QStringLiteral("结束行记下的操作数（%1）与记录中的操作行数（%2）不符。")
                                .arg(count.toVariant().toString())
                                .arg(events));
            ended = true;
            summary.checkCode = lineHash(line);
            previous = line;
            continue;
        }

        if (!hasExactly(object,
                        { "prev", "seq", "kind", "category", "categoryName", "time", "localTime", "details", "changes",
                          "fields" }))
            return fail(replay, Outcome::Broken, number, QStringLiteral("这一行不是一条完整的操作记录。"));
        ++events;
        const QJsonValue seq = object.value(QStringLiteral("seq"));
        if (!seq.isDouble() || seq.toDouble() != double(events))
            return fail(replay, Outcome::Broken, number,
                        QStringLiteral("操作序号应为 %1：前面有操作被删去或调换。").arg(events));
        QString reason;
        const int stops = summary.stops;
        if (!replay.apply(object, reason))
            return fail(replay, Outcome::Broken, number, reason);
        // The code the room saw when this name was drawn: the draw window and the projector show the latest
        // line's.
        if (summary.stops != stops)
            replay.noteStopLine(object.value(QStringLiteral("category")).toInt(), roomCode(line));
        previous = line;
    }
    replay.finish();
    VerifyReport report;
    report.outcome = Outcome::Holds;
    report.summary = std::move(summary);
    return report;
}

} // namespace pelorin::record
