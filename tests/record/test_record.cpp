// The draw record: written from a session driven through the real window, verified by replaying it, and
// refused when any byte, line or fact of it changed.
#include "RecordSession.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "model/Shuffle.h"
#include "model/WitnessSeed.h"
#include "output/VerifyCommand.h"
#include "record/RecordFormat.h"
#include "record/RecordSheet.h"
#include "record/RecordVerifier.h"
#include "record/RecordWriter.h"
#include "tasks/TaskCommands.h"
#include "ui/BottomBar.h"
#include "ui/NameListView.h"

#include <QCheckBox>

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

using namespace pelorin;
using namespace pelorin::test;
using Outcome = record::VerifyReport::Outcome;

namespace {

record::VerifyReport verify(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return record::verifyRecord(buffer);
}

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last line feed
    return lines;
}

QByteArray joined(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + '\n';
    return bytes;
}

QJsonObject objectOf(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object();
}

// What a forger with the program's source would do: change a line, then write every hash after it anew.
QByteArray rechained(QList<QByteArray> lines)
{
    for (int i = 1; i < lines.size(); ++i) {
        QJsonObject object = objectOf(lines[i]);
        object.insert("prev", record::lineHash(lines[i - 1]));
        lines[i] = record::canonicalLine(object);
    }
    return joined(lines);
}

int firstLineOf(const QList<QByteArray>& lines, const QString& kind, int skip = 0)
{
    for (int i = 0; i < lines.size(); ++i)
        if (objectOf(lines[i]).value("kind").toString() == kind && skip-- == 0)
            return i;
    return -1;
}

// A session with every kind of change: imports, typed names with an empty one and duplicates, a history
// exclusion, a shuffle by the button, draws in two categories, a hand-back and a clear.
void fillSession(RecordSession& s)
{
    s.importCandidates(3, { "甲公司", "乙公司", "丙公司", "丁公司", "乙公司", "戊公司", "己公司" }, "重点企业.xlsx");
    s.importHistory(3, { "乙公司" });
    QTest::mouseClick(s.window.page(3)->excludeHistory, Qt::LeftButton);
    QTest::mouseClick(s.window.page(3)->shuffleCandidates, Qt::LeftButton);
    s.draw(3, 3);
    s.enterCandidates(6, "张三\n\n李四\n张三\n王_五\n赵六");
    s.draw(6, 2);
    s.desk.messageBox.answerNext(IMessageBox::Answer::Yes);
    QTest::mouseClick(s.window.page(6)->withdrawResults, Qt::LeftButton);
    s.draw(6, 1);
    QTest::mouseClick(s.window.page(3)->clearHistory, Qt::LeftButton);
}

// A line of a record changed by edit, every hash after it written anew.
record::VerifyReport forgedRecord(const QList<QByteArray>& lines, int line,
                                  const std::function<void(QJsonObject&)>& edit)
{
    QList<QByteArray> changed = lines;
    QJsonObject object = objectOf(changed[line]);
    edit(object);
    changed[line] = record::canonicalLine(object);
    return verify(rechained(changed));
}

std::function<void(QJsonObject&)> setDetail(const QString& key, const QJsonValue& value)
{
    return [key, value](QJsonObject& object) {
        QJsonObject details = object.value("details").toObject();
        if (value.isUndefined())
            details.remove(key);
        else
            details.insert(key, value);
        object.insert("details", details);
    };
}

QJsonValue detailOf(const QByteArray& line, const QString& key)
{
    return objectOf(line).value("details").toObject().value(key);
}

// An event line of kind on category with the given changes, at the time of the line before.
QByteArray eventLine(const QByteArray& before, const QString& kind, Category category, const QJsonArray& changes)
{
    QJsonObject object = objectOf(before);
    object.insert("kind", kind);
    object.insert("category", category);
    object.insert("categoryName", categoryName(category));
    object.insert("details", QJsonObject());
    object.insert("fields", QJsonArray());
    object.insert("changes", changes);
    return record::canonicalLine(object);
}

QJsonObject listChange(const QString& op, Category category, const QString& list, const QStringList& names,
                       int index = -1)
{
    QJsonObject change {
        { "op", op }, { "category", category }, { "list", list }, { "names", QJsonArray::fromStringList(names) }
    };
    if (index >= 0)
        change.insert("index", index);
    return change;
}

// Inserts a line before line at, numbering the events after it anew, and rechains.
record::VerifyReport withLineInserted(QList<QByteArray> lines, int at, const QByteArray& line)
{
    lines.insert(at, line);
    for (int i = 1; i + 1 < lines.size(); ++i) {
        QJsonObject object = objectOf(lines[i]);
        object.insert("seq", i);
        lines[i] = record::canonicalLine(object);
    }
    QJsonObject end = objectOf(lines.last());
    end.insert("events", lines.size() - 2);
    lines.last() = record::canonicalLine(end);
    return verify(rechained(lines));
}

// Writes the record bytes to path; the second verifier's verdict on them and what it printed, exit -1
// without python3 (the Windows build of the tests).
std::pair<int, QString> secondVerdict(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return { -2, {} };
    file.close();
    if (QStandardPaths::findExecutable("python3").isEmpty())
        return { -1, {} };
    QProcess p;
    p.start("python3", { PELORIN_SOURCE_DIR "/tests/record/second_verifier.py", path });
    p.waitForFinished(120000);
    return { p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()) };
}

// An import as the import command records it, of names no workbook need hold.
void importByHand(Session& session, Category i, const QStringList& names)
{
    Session::Command command(session, QStringLiteral("import"), i);
    session.note(listnotes::File, QStringLiteral("名单.xlsx"));
    session.note(listnotes::Sha256, QString(64, '0'));
    session.replaceCandidates(i, names);
}

} // namespace

class RecordTest : public QObject
{
    Q_OBJECT
private slots:
    void recordsOfTheEarlierProgramStillVerify_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("demo") << "demo";
        QTest::newRow("slow stops, hand-back, closed mid-run") << "slowstop-handback";
    }
    void recordsOfTheEarlierProgramStillVerify()
    {
        // Written by the program before the session model, in the first format. Every line that program
        // printed is still printed, in order; what the first format cannot show is said.
        QFETCH(QString, name);
        const QString folder = PELORIN_TEST_DATA "/earlier/";
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(record::runVerify(folder + name + ".jsonl", out), 0);
        QFile expected(folder + name + ".verified.txt");
        QVERIFY(expected.open(QIODevice::ReadOnly));
        // Each drawn name now also shows the room code of its stop line.
        const QStringList lines
            = QString(printed).remove(QRegularExpression("，记录校验码 [0-9a-f]{4} [0-9a-f]{4}")).split('\n');
        qsizetype at = 0;
        for (const QString& line : QString::fromUtf8(expected.readAll()).trimmed().split('\n')) {
            at = lines.indexOf(line, at);
            QVERIFY2(at >= 0, qPrintable(line + "\n" + printed));
        }
        QVERIFY(printed.contains("说明：这是第1版格式的记录"));
        QCOMPARE(printed.contains("随机缓停的转动步数当时不由洗牌种子产生"), name == "slowstop-handback");
    }

    // The forgeries of each class, made from a record of the earlier program: that program's check passed
    // every one of them.
    void forgeriesOfAnEarlierRecordAreRefused_data()
    {
        QTest::addColumn<QString>("forgery");
        for (const char* row :
             { "pointer at 375 degrees", "slow stop at a start without the option", "edit adds a result",
               "results replaced", "written before its session", "seed in upper case" })
            QTest::newRow(row) << QString(row);
    }
    void forgeriesOfAnEarlierRecordAreRefused()
    {
        QFETCH(QString, forgery);
        QFile file(PELORIN_TEST_DATA "/earlier/slowstop-handback.jsonl");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = linesOf(file.readAll());
        QVERIFY(verify(rechained(lines)).outcome == Outcome::Holds);
        auto first = [&](const QString& kind, const std::function<bool(const QJsonObject&)>& also) {
            for (int i = 1; i < lines.size(); ++i)
                if (objectOf(lines[i]).value("kind").toString() == kind
                    && also(objectOf(lines[i]).value("details").toObject()))
                    return i;
            return -1;
        };
        auto editDetails = [&](int at, const std::function<void(QJsonObject&)>& edit) {
            QJsonObject object = objectOf(lines[at]);
            QJsonObject details = object.value("details").toObject();
            edit(details);
            object.insert("details", details);
            lines[at] = record::canonicalLine(object);
        };
        auto insertEdit = [&](const QJsonObject& change) {
            QJsonObject object = objectOf(lines[lines.size() - 2]);
            object.insert("kind", "edit");
            object.insert("details", QJsonObject());
            object.insert("fields", QJsonArray());
            object.insert("changes", QJsonArray { change });
            object.insert("seq", object.value("seq").toInt() + 1);
            QJsonObject end = objectOf(lines.last());
            end.insert("events", end.value("events").toInt() + 1);
            lines.last() = record::canonicalLine(end);
            lines.insert(lines.size() - 1, record::canonicalLine(object));
        };
        const auto any = [](const QJsonObject&) { return true; };
        if (forgery == "pointer at 375 degrees") {
            editDetails(first("stop", [](const QJsonObject& d) { return !d.value("slowStop").toBool(); }),
                        [](QJsonObject& d) {
                            d.insert("angle", 375);
                            d.insert("steps", 375 * d.value("wheelCount").toInt());
                        });
        } else if (forgery == "slow stop at a start without the option") {
            editDetails(first("start", [](const QJsonObject& d) { return d.value("slowStopOption").toBool(); }),
                        [](QJsonObject& d) { d.insert("slowStopOption", false); });
        } else if (forgery == "edit adds a result" || forgery == "results replaced") {
            const bool add = forgery == "edit adds a result";
            insertEdit(QJsonObject { { "category", 3 },
                                     { "list", "results" },
                                     { "op", add ? "append" : "replace" },
                                     { "names", add ? QJsonArray { "从未摇出公司" } : QJsonArray() } });
        } else if (forgery == "written before its session") {
            QJsonObject header = objectOf(lines[0]);
            header.insert(
                "written",
                record::utcText(
                    QDateTime::fromString(header.value("sessionStarted").toString(), Qt::ISODateWithMs).addDays(-1)));
            lines[0] = record::canonicalLine(header);
        } else {
            editDetails(first("start", any),
                        [](QJsonObject& d) { d.insert("shuffleSeed", d.value("shuffleSeed").toString().toUpper()); });
        }
        const record::VerifyReport report = verify(rechained(lines));
        QVERIFY2(report.outcome == Outcome::Broken, qPrintable(forgery));
    }

    void aFreshRecordHoldsAndSaysWhatWasDrawn()
    {
        RecordSession s;
        fillSession(s);
        const record::WrittenRecord written = s.record();
        const record::VerifyReport report = verify(written.bytes);
        QVERIFY2(report.outcome == Outcome::Holds,
                 qPrintable(QString("line %1: %2").arg(report.line).arg(report.reason)));
        const record::RecordSummary& summary = report.summary;
        QCOMPARE(summary.checkCode, written.checkCode);
        QCOMPARE(summary.checkCode, record::lineHash(linesOf(written.bytes).last()));
        QCOMPARE(summary.stops, 6);
        QCOMPARE(summary.starts, 6);
        QCOMPARE(summary.shuffles, 7); // and the 重排序 button's
        QCOMPARE(summary.events, written.events);
        QCOMPARE(summary.lines, written.events + 2);

        const record::CategoryDraws& key = summary.categories[3];
        QCOMPARE(key.sources, QStringList { "重点企业.xlsx" });
        QStringList drawn;
        for (const record::DrawnName& d : key.draws) {
            drawn << d.name;
            QVERIFY(d.sector >= 1 && d.sector <= d.wheelCount);
            QCOMPARE(d.fingerprint.size(), 64);
        }
        QCOMPARE(drawn, s.results(3).items());
        QCOMPARE(key.draws[0].wheelCount, 6);
        QCOMPARE(key.draws[2].wheelCount, 4);

        const record::CategoryDraws& free = summary.categories[6];
        QCOMPARE(free.sources, QStringList { "手工录入" });
        QCOMPARE(int(free.draws.size()), 3);
        QCOMPARE(free.withdrawn, 2);
        QCOMPARE(free.results, s.results(6).items());

        // The import names its workbook by the SHA-256 of its bytes.
        const QJsonObject import = objectOf(linesOf(written.bytes)[1]);
        QFile workbook(s.dir.filePath("重点企业.xlsx"));
        QVERIFY(workbook.open(QIODevice::ReadOnly));
        QCOMPARE(import.value("details").toObject().value("sha256").toString(),
                 QString::fromLatin1(QCryptographicHash::hash(workbook.readAll(), QCryptographicHash::Sha256).toHex()));
        QCOMPARE(import.value("details").toObject().value("file").toString(), "重点企业.xlsx");
    }

    void everySingleChangedByteFails()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n\n丙");
        s.draw(3, 1);
        const QByteArray bytes = s.record().bytes;
        QVERIFY(verify(bytes).outcome == Outcome::Holds);
        QVERIFY(bytes.size() > 1000);
        int checked = 0;
        for (qsizetype at = 0; at < bytes.size(); ++at) {
            for (const char replacement : { char(bytes[at] ^ 0x01), bytes[at] == ' ' ? 'x' : ' ' }) {
                QByteArray changed = bytes;
                changed[at] = replacement;
                const record::VerifyReport report = verify(changed);
                if (report.outcome == Outcome::Holds)
                    QFAIL(qPrintable(QString("byte %1 changed to %2 still holds").arg(at).arg(int(replacement))));
                ++checked;
            }
        }
        QCOMPARE(checked, 2 * bytes.size());
    }

    void removedSwappedOrCutLinesFail()
    {
        RecordSession s;
        fillSession(s);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        for (int i = 1; i < lines.size(); ++i) {
            QList<QByteArray> without = lines;
            without.removeAt(i);
            const record::VerifyReport report = verify(joined(without));
            QVERIFY(report.outcome == Outcome::Broken);
            QCOMPARE(report.line, i == lines.size() - 1 ? i : i + 1);
        }
        for (int i = 1; i + 1 < lines.size(); ++i) {
            QList<QByteArray> swapped = lines;
            swapped.swapItemsAt(i, i + 1);
            const record::VerifyReport report = verify(joined(swapped));
            QVERIFY(report.outcome == Outcome::Broken);
            QCOMPARE(report.line, i + 1);
        }
        const QByteArray bytes = joined(lines);
        for (qsizetype cut = 1; cut < bytes.size(); cut += 97)
            QVERIFY(verify(bytes.left(cut)).outcome != Outcome::Holds);
        // A first line on its own is the start of a record cut short, not a whole one.
        QVERIFY(verify(lines[0] + '\n').outcome == Outcome::Broken);
    }

    void rechainedForgeriesFailOnTheReplay()
    {
        RecordSession s;
        fillSession(s);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        QVERIFY(verify(rechained(lines)).outcome == Outcome::Holds);
        auto forged = [&](int line, const std::function<void(QJsonObject&)>& edit) {
            QList<QByteArray> changed = lines;
            QJsonObject object = objectOf(changed[line]);
            edit(object);
            changed[line] = record::canonicalLine(object);
            return verify(rechained(changed));
        };
        auto editDetails = [](const QString& key, const QJsonValue& value) {
            return [key, value](QJsonObject& object) {
                QJsonObject details = object.value("details").toObject();
                details.insert(key, value);
                object.insert("details", details);
            };
        };

        // Another candidate named as drawn.
        const int stop = firstLineOf(lines, "stop");
        QVERIFY(stop > 0);
        const QString drawn = objectOf(lines[stop]).value("details").toObject().value("name").toString();
        record::VerifyReport report = forged(stop, editDetails("name", drawn == "甲公司" ? "丙公司" : "甲公司"));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
        // Another sector for the same name, or a pointer moved by a degree.
        report = forged(
            stop,
            editDetails("sector", objectOf(lines[stop]).value("details").toObject().value("sector").toInt() % 6 + 1));
        QVERIFY(report.outcome == Outcome::Broken);
        report
            = forged(stop,
                     editDetails("position",
                                 objectOf(lines[stop]).value("details").toObject().value("position").toInteger() + 6));
        QVERIFY(report.outcome == Outcome::Broken);

        // Another seed lays out another wheel, so the drawn name is no longer under the pointer.
        const int start = firstLineOf(lines, "start");
        ShuffleSeed other;
        other.bytes.fill(0x42);
        report = forged(start, editDetails("shuffleSeed", other.hex()));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
        QVERIFY2(report.reason.contains("扇区"), qPrintable(report.reason));

        // A fingerprint or count that is not the list's.
        report = forged(start, editDetails("fingerprint", listFingerprint({ "x" })));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, start + 1);
        report = forged(start, editDetails("candidates", 99));
        QVERIFY(report.outcome == Outcome::Broken);

        // A name slipped into the imported list shows at the next fingerprint.
        report = forged(1, [](QJsonObject& object) {
            QJsonArray changes = object.value("changes").toArray();
            QJsonObject first = changes[0].toObject();
            QJsonArray names = first.value("names").toArray();
            names.append("庚公司");
            first.insert("names", names);
            changes[0] = first;
            object.insert("changes", changes);
        });
        QVERIFY(report.outcome == Outcome::Broken);

        // An exclusion that struck a name the history does not hold.
        const int exclude = firstLineOf(lines, "exclude");
        report = forged(exclude, [](QJsonObject& object) {
            QJsonArray changes = object.value("changes").toArray();
            QJsonObject replace = changes[0].toObject();
            QJsonArray names = replace.value("names").toArray();
            names.removeFirst();
            replace.insert("names", names);
            changes[0] = replace;
            object.insert("changes", changes);
        });
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, exclude + 1);
    }

    void slowStopsAreRecordedAndChecked()
    {
        RecordSession s;
        s.window.drawWindow()->slowStop->setChecked(true);
        s.enterCandidates(2, "甲\n乙\n丙\n丁\n戊");
        s.draw(2, 2);
        QCOMPARE(s.results(2).count(), 2);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const record::VerifyReport report = verify(joined(lines));
        QVERIFY2(report.outcome == Outcome::Holds, qPrintable(report.reason));
        QVERIFY(report.summary.categories[2].draws[0].slowStop);
        const int stop = firstLineOf(lines, "stop");
        const QJsonObject details = objectOf(lines[stop]).value("details").toObject();
        // The further turn is the next pick of the stream that shuffled the wheel.
        SeededStream stream(s.seeds.given.first());
        shuffledOrder(5, stream);
        QCOMPARE(details.value("turn").toInteger(), stream.between(360 * 5, 3 * 360 * 5 - 1));
        QVERIFY(
            objectOf(lines[firstLineOf(lines, "start")]).value("details").toObject().value("slowStopOption").toBool());

        // A turn that does not lead from the press to the rest, even rechained, fails.
        QList<QByteArray> changed = lines;
        QJsonObject object = objectOf(changed[stop]);
        QJsonObject edited = details;
        edited.insert("turn", details.value("turn").toInteger() + 360);
        object.insert("details", edited);
        changed[stop] = record::canonicalLine(object);
        const record::VerifyReport forged = verify(rechained(changed));
        QVERIFY(forged.outcome == Outcome::Broken);
        QCOMPARE(forged.line, stop + 1);
    }

    // 见证摇号 through the real window: the commitment, the witnesses' text and the secret in that order, every
    // pick from their seed, a substitute and an abandoned ceremony. A forger who changes any of it, even
    // rechaining every line after, is caught on the line that no longer follows.
    void aWitnessedDrawIsRecordedAndChecked()
    {
        RecordSession s;
        s.window.drawWindow()->witnessed->setChecked(true);
        const QStringList names { "甲", "乙", "丙", "丁", "戊", "甲", "己", "庚" };
        s.enterCandidates(6, names.join('\n'));
        s.desk.inputBox.answers.enqueue(QString("3 1 4 1 5 9"));
        s.draw(6, 3);
        const std::optional<ShuffleSeed> seed
            = witness::seedOf(s.seeds.given.first(), "3 1 4 1 5 9", listFingerprint(names));
        QVERIFY(seed);
        QCOMPARE(s.results(6).items(), witness::drawnNames(names, *seed, 3));

        CategoryPage* page = s.window.page(6);
        QVERIFY(page->substitute->isVisible());
        page->results->setCurrentIndex(page->results->model()->index(1, 0));
        s.desk.inputBox.answers.enqueue(QString("回避：亲属在该单位"));
        QTest::mouseClick(page->substitute, Qt::LeftButton);
        QStringList expected = witness::drawnNames(names, *seed, 3, 1);
        expected.removeAt(1);
        QCOMPARE(s.results(6).items(), expected);
        {
            // After a restart the next substitute is still the stream's next pick, and the record holds.
            RecordSession again;
            KeptSession kept;
            kept.started = QDateTime(QDate(2024, 3, 5), QTime(9, 0)).toUTC();
            kept.commands = s.keeper.commands();
            kept.head = s.keeper.chain().head;
            kept.lines = s.keeper.chain().lines;
            again.keeper.restore(kept);
            CategoryPage* restored = again.window.page(6);
            QVERIFY(restored->substitute->isVisibleTo(&again.window));
            restored->results->setCurrentIndex(restored->results->model()->index(0, 0));
            again.desk.inputBox.answers.enqueue(QString("缺席"));
            QTest::mouseClick(restored->substitute, Qt::LeftButton);
            QCOMPARE(again.results(6).items().last(), witness::drawnNames(names, *seed, 3, 2).last());
            const record::VerifyReport resumed = verify(again.record().bytes);
            QVERIFY2(resumed.outcome == Outcome::Holds, qPrintable(resumed.reason));
            QCOMPARE(resumed.summary.substitutes.size(), std::size_t(2));
        }
        // Cancelled at the witnesses' text: abandoned, nothing drawn.
        s.draw(6, 4);
        QCOMPARE(s.results(6).count(), 3);

        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const record::VerifyReport report = verify(joined(lines));
        QVERIFY2(report.outcome == Outcome::Holds, qPrintable(report.reason));
        QCOMPARE(report.summary.witnessed.size(), std::size_t(2));
        QVERIFY(report.summary.witnessed[0].end == record::WitnessedDraw::End::Completed);
        QVERIFY(report.summary.witnessed[1].end == record::WitnessedDraw::End::Abandoned);
        QCOMPARE(report.summary.substitutes.size(), std::size_t(1));
        QCOMPARE(report.summary.substitutes[0].reason, "回避：亲属在该单位");

        const int commit = firstLineOf(lines, "commit");
        const int witnessLine = firstLineOf(lines, "witness");
        const int reveal = firstLineOf(lines, "reveal");
        const int stop = firstLineOf(lines, "stop");
        const int substitute = firstLineOf(lines, "substitute");
        const int close = firstLineOf(lines, "close");
        QVERIFY(commit > 0 && witnessLine == commit + 1 && reveal == commit + 2 && substitute > close);
        ShuffleSeed other;
        other.bytes.fill(0x42);
        const std::vector<std::pair<int, std::function<void(QJsonObject&)>>> forgeries {
            { reveal, setDetail("secret", other.hex()) }, // another secret
            { witnessLine, setDetail("witnessText", "3 1 4 1 5 8") }, // another text: the seed no longer follows
            { stop, setDetail("sector", detailOf(lines[stop], "sector").toInt() % 8 + 1) },
            { stop, setDetail("turn", detailOf(lines[stop], "turn").toInteger() + 360) },
            { substitute, setDetail("sector", detailOf(lines[substitute], "sector").toInt() % 5 + 1) },
            { substitute, setDetail("reason", " ") },
            { close, setDetail("completed", QJsonValue()) }, // a completed ceremony shown as neither
        };
        for (const auto& [line, edit] : forgeries) {
            const record::VerifyReport forged = forgedRecord(lines, line, edit);
            QVERIFY2(forged.outcome == Outcome::Broken, qPrintable(QString::number(line)));
            QCOMPARE(forged.line, line == witnessLine ? reveal + 1 : line + 1);
        }
        // The witnesses' text before the commitment.
        QList<QByteArray> swapped = lines;
        swapped.swapItemsAt(commit, witnessLine);
        for (int i : { commit, witnessLine }) {
            QJsonObject object = objectOf(swapped[i]);
            object.insert("seq", i);
            swapped[i] = record::canonicalLine(object);
        }
        const record::VerifyReport early = verify(rechained(swapped));
        QVERIFY(early.outcome == Outcome::Broken);
        QCOMPARE(early.line, commit + 1);
        // An abandoned ceremony left out of the end of the draw window.
        const int abandoned = firstLineOf(lines, "close", 1);
        QVERIFY(detailOf(lines[abandoned], "abandoned").isDouble());
        QCOMPARE(forgedRecord(lines, abandoned, setDetail("abandoned", QJsonValue())).line, abandoned + 1);
    }

    // An assignment after a 见证摇号 takes its seed from the ceremony's. --verify recomputes every group from the
    // results as they stood and lists the task table, the sheet prints it, and a changed group, seed or 回避 pair
    // fails on the assignment's line, even rechained.
    void anAssignmentIsRecordedAndRecomputed()
    {
        RecordSession s;
        s.enterCandidates(2, "丁\n戊\n己\n庚\n辛");
        s.draw(2, 4);
        s.enterCandidates(0, "甲\n乙\n丙");
        s.draw(0, 2);
        QCOMPARE(s.results(0).count(), 2);
        s.window.drawWindow()->witnessed->setChecked(true);
        s.enterCandidates(3, "一号\n二号\n三号\n四号\n五号");
        s.desk.inputBox.answers.enqueue(QString("2 7 1 8 2 8"));
        s.draw(3, 4);
        s.window.drawWindow()->witnessed->setChecked(false);
        const QStringList leaders = s.results(0).items();
        const QString firstEnterprise = s.results(3).items().first();
        TaskSettings settings;
        settings.membersPerGroup = 2;
        TaskCommands tasks(s.window.context());
        QVERIFY2(tasks.assign(settings, { 3 }, { { leaders[0], firstEnterprise }, { "无此人", "无此公司" } }),
                 qPrintable(s.desk.messageBox.lastText()));

        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const record::VerifyReport report = verify(joined(lines));
        QVERIFY2(report.outcome == Outcome::Holds, qPrintable(report.reason));
        const int assign = firstLineOf(lines, "assign");
        const int reveal = firstLineOf(lines, "reveal");
        const std::optional<ShuffleSeed> ceremony
            = ShuffleSeed::fromHex(detailOf(lines[reveal], "witnessSeed").toString());
        QVERIFY(ceremony);
        QCOMPARE(detailOf(lines[assign], "seed").toString(), taskSeedAfterWitness(*ceremony).hex());
        QCOMPARE(report.summary.assignments.size(), std::size_t(1));
        const record::AssignedTasks& assigned = report.summary.assignments.front();
        QVERIFY(assigned.afterWitness);
        QCOMPARE(assigned.groups.size(), 2);
        QCOMPARE(assigned.unmatched.size(), 1);
        const record::RecordSheet sheet = record::buildSheet(report.summary, "r.jsonl");
        QVERIFY(std::any_of(sheet.sections.begin(), sheet.sections.end(), [](const record::RecordSheet::Section& x) {
            return x.heading.contains("检查任务分配") && x.facts.value(1).startsWith("第1组：组长 ");
        }));
        const QString path = s.dir.filePath("assign.jsonl");
        const auto [second, secondShown] = secondVerdict(path, joined(lines));
        QVERIFY(second == 0 || second == -1);
        QVERIFY(second == -1 || secondShown.contains("检查任务分配\t种子 " + taskSeedAfterWitness(*ceremony).hex()));
        QString shown;
        QTextStream out(&shown);
        QCOMPARE(record::runVerify(path, out), 0);
        QVERIFY(shown.contains("第2组：组长 ") && shown.contains(taskSeedAfterWitness(*ceremony).hex()));

        // The group holding the first enterprise, and another.
        const QJsonArray groups = detailOf(lines[assign], "groups").toArray();
        const int holder = groups[0].toObject().value("enterprises").toArray().contains(firstEnterprise) ? 0 : 1;
        const auto editGroups = [&](const std::function<void(QJsonObject&, QJsonObject&)>& edit) {
            QJsonArray changed = groups;
            QJsonObject first = changed[0].toObject();
            QJsonObject second = changed[1].toObject();
            edit(first, second);
            changed[0] = first;
            changed[1] = second;
            return setDetail("groups", changed);
        };
        ShuffleSeed other;
        other.bytes.fill(0x42);
        const QString holderLeader = groups[holder].toObject().value("leader").toString();
        const QJsonArray avoidedByHolder { QJsonArray { holderLeader, firstEnterprise },
                                           QJsonArray { "无此人", "无此公司" } };
        const std::vector<std::function<void(QJsonObject&)>> forgeries {
            editGroups([](QJsonObject& a, QJsonObject& b) { // two enterprises trade places
                QJsonArray x = a.value("enterprises").toArray(), y = b.value("enterprises").toArray();
                const QJsonValue first = x[0];
                x[0] = y[0];
                y[0] = first;
                a.insert("enterprises", x);
                b.insert("enterprises", y);
            }),
            editGroups([](QJsonObject& a, QJsonObject& b) { // the 组长 trade groups
                const QJsonValue leader = a.value("leader");
                a.insert("leader", b.value("leader"));
                b.insert("leader", leader);
            }),
            setDetail("seed", other.hex()),
            [&](QJsonObject& object) { // another seed, said to be fresh
                setDetail("seed", other.hex())(object);
                setDetail("afterWitness", false)(object);
            },
            setDetail("avoidances", avoidedByHolder), // another pair, the fingerprint of the first
            [&](QJsonObject& object) { // another pair with its own fingerprint: the groups no longer follow
                setDetail("avoidances", avoidedByHolder)(object);
                setDetail("avoidancesFingerprint",
                          avoidancesFingerprint({ { holderLeader, firstEnterprise }, { "无此人", "无此公司" } }))(
                    object);
            },
        };
        for (std::size_t i = 0; i < forgeries.size(); ++i) {
            const record::VerifyReport forged = forgedRecord(lines, assign, forgeries[i]);
            QVERIFY2(forged.outcome == Outcome::Broken, qPrintable(QString::number(i)));
            QCOMPARE(forged.line, assign + 1);
            // The second verifier, written from the README, refuses it on the same line.
            QList<QByteArray> changed = lines;
            QJsonObject object = objectOf(changed[assign]);
            forgeries[i](object);
            changed[assign] = record::canonicalLine(object);
            const auto [verdict, said] = secondVerdict(path, rechained(changed));
            QVERIFY2(verdict == -1 || (verdict == 1 && said.startsWith(QString("第%1行").arg(assign + 1))),
                     qPrintable(said));
        }
        // The same assignment before the draws of its enterprises: its inputs were other lists then.
        QList<QByteArray> moved = lines;
        const QByteArray line = moved.takeAt(assign);
        const record::VerifyReport early = withLineInserted(moved, reveal, line);
        QVERIFY(early.outcome == Outcome::Broken);
        QCOMPARE(early.line, reveal + 1);
    }

    // Each forgery below passed the check of the first format; each is built from a genuine record.
    void theSectorFollowsFromThePointerAlone()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n丙\n丁\n戊\n己");
        s.draw(3, 1);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        QVERIFY(verify(joined(lines)).outcome == Outcome::Holds);
        const int stop = firstLineOf(lines, "stop");
        const qint64 position = detailOf(lines[stop], "position").toInteger();
        // A pointer at 375 degrees, which the rolling pointer never reaches at speed 15, the name kept.
        record::VerifyReport report = forgedRecord(lines, stop, setDetail("angle", 375));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
        // A position 2^32 laps of steps further, which a 32-bit cast folds back onto the same sector.
        report = forgedRecord(lines, stop, setDetail("position", position + (qint64(1) << 32) * 6 * 360));
        QVERIFY(report.outcome == Outcome::Broken);
        // Another sector and its name, with the pointer where it was.
        const int other = int(detailOf(lines[stop], "sector").toInteger()) % 6 + 1;
        report = forgedRecord(lines, stop, [&](QJsonObject& object) {
            setDetail("position", qint64(other) * 360 + 1)(object);
            setDetail("sector", other)(object);
        });
        QVERIFY(report.outcome == Outcome::Broken);
        QVERIFY2(report.reason.contains("停止位置"), qPrintable(report.reason));
    }

    void aStopFollowsFromItsStart()
    {
        RecordSession s;
        s.window.drawWindow()->slowStop->setChecked(true);
        s.enterCandidates(2, "甲\n乙\n丙\n丁\n戊");
        s.draw(2, 1);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        QVERIFY(verify(joined(lines)).outcome == Outcome::Holds);
        const int start = firstLineOf(lines, "start");
        const int stop = firstLineOf(lines, "stop");
        const qint64 turn = detailOf(lines[stop], "turn").toInteger();
        const qint64 angle = detailOf(lines[stop], "angle").toInteger();
        // A press at an angle no pointer stands at, the position following it.
        record::VerifyReport report = forgedRecord(lines, stop, [&](QJsonObject& object) {
            setDetail("angle", -123456789)(object);
            setDetail("position", -123456789LL * 5 + turn)(object);
        });
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
        // A turn a lap longer: the same sector, but not the turn the seed's stream gives.
        report = forgedRecord(lines, stop, [&](QJsonObject& object) {
            setDetail("turn", turn + 1800)(object);
            setDetail("position", angle * 5 + turn + 1800)(object);
        });
        QVERIFY(report.outcome == Outcome::Broken);
        QVERIFY2(report.reason.contains("种子"), qPrintable(report.reason));
        // A slow stop at a start that had the option off; a start at another speed than the stop's angle allows.
        report = forgedRecord(lines, start, setDetail("slowStopOption", false));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
        report = forgedRecord(lines, start, setDetail("speed", angle % 7 != 0 ? 7 : 11));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, stop + 1);
    }

    void noListChangesOutsideItsCommand()
    {
        RecordSession s;
        fillSession(s);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const int edit = firstLineOf(lines, "edit");
        QVERIFY(edit > 0);
        // A name never drawn added to the results, one slipped into the candidates, one removed.
        const QString first = s.candidates(3).items().isEmpty() ? QString() : s.candidates(3).items().front();
        const QList<QJsonArray> forgeries = {
            { listChange("append", 3, "results", { "庚公司" }) },
            { listChange("append", 3, "candidates", { "庚公司" }) },
            { listChange("replace", 3, "candidates", {}) },
        };
        for (const QJsonArray& changes : forgeries) {
            const record::VerifyReport report = withLineInserted(
                lines, int(lines.size()) - 1, eventLine(lines[lines.size() - 2], "edit", 3, changes));
            QVERIFY(report.outcome == Outcome::Broken);
            QCOMPARE(report.line, int(lines.size()));
        }
        // A stop that also puts a name into the history.
        const int stop = firstLineOf(lines, "stop");
        record::VerifyReport report = forgedRecord(lines, stop, [](QJsonObject& object) {
            QJsonArray changes = object.value("changes").toArray();
            changes.append(listChange("append", 3, "history", { "庚公司" }));
            object.insert("changes", changes);
        });
        QVERIFY(report.outcome == Outcome::Broken);

        // An import's names against the workbook of its SHA-256.
        QTemporaryDir empty;
        QString text;
        QTextStream out(&text);
        const QString path = s.dir.filePath("记录.jsonl");
        auto write = [&](const QByteArray& bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        };
        write(joined(lines));
        QCOMPARE(record::runVerify(path, s.dir.path(), out), 0);
        QVERIFY2(text.contains("工作簿：2 次导入"), qPrintable(text));
        QCOMPARE(record::runVerify(path, empty.path(), out), 1);
        write(rechained([&] {
            QList<QByteArray> changed = lines;
            QJsonObject import = objectOf(changed[1]);
            QJsonArray changes = import.value("changes").toArray();
            QJsonObject replace = changes[0].toObject();
            QJsonArray names = replace.value("names").toArray();
            names[0] = "庚公司";
            replace.insert("names", names);
            changes[0] = replace;
            import.insert("changes", changes);
            changed[1] = record::canonicalLine(import);
            return changed;
        }()));
        text.clear();
        QCOMPARE(record::runVerify(path, s.dir.path(), out), 1);
        QVERIFY2(text.contains("第 2 行不成立"), qPrintable(text));
    }

    void aRedoShowsByName()
    {
        RecordSession s;
        fillSession(s);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const int stop = firstLineOf(lines, "stop");
        // A stop that moves a name without saying which.
        record::VerifyReport report = forgedRecord(lines, stop, setDetail("name", QJsonValue::Undefined));
        QVERIFY(report.outcome == Outcome::Broken);
        // Results that shrink by a replacement.
        const int handBack = firstLineOf(lines, "handBack");
        report = withLineInserted(
            lines, handBack,
            eventLine(lines[handBack - 1], "handBack", 6, { listChange("replace", 6, "results", {}) }));
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, handBack + 1);
        // The hand-back names each name handed back, and the names drawn again after it.
        QTemporaryDir dir;
        const QString path = dir.filePath("记录.jsonl");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(joined(lines));
        file.close();
        QString text;
        QTextStream out(&text);
        QCOMPARE(record::runVerify(path, out), 0);
        const record::VerifyReport verified = verify(joined(lines));
        const record::CategoryDraws& free = verified.summary.categories[6];
        QCOMPARE(int(free.resultChanges.size()), 5);
        for (const record::ResultChange& change : free.resultChanges)
            QVERIFY2(
                text.contains((change.kind == record::ResultChange::Kind::Drawn ? "摇出 " : "撤回 ") + change.name),
                qPrintable(text));
    }

    // Each of these passed both verifiers once: a stop after the wheel it names was gone or never there, a
    // 去已摇 that kept a history name, 随机缓停 below speed 10, a count spelt as true.
    void noStopWithoutItsOwnWheelAndNoSilentExclusion()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n丙\n丁\n戊\n己");
        s.importHistory(3, { "乙" });
        s.draw(3, 1);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const int start = firstLineOf(lines, "start");
        const int stop = firstLineOf(lines, "stop");
        const record::VerifyReport genuine = verify(joined(lines));
        QVERIFY(genuine.outcome == Outcome::Holds);
        // The name drawn carries the code the room saw after its stop.
        QCOMPARE(genuine.summary.categories[3].draws.at(0).roomCode, record::roomCode(lines[stop]));

        // An ignored stop that drew nothing, then the real one; the window closed; a start that laid out nothing.
        const QByteArray before = lines[stop - 1];
        const struct
        {
            QByteArray line;
            int failsAt;
        } inserted[] = { { eventLine(before, "stop", 3, {}), stop + 1 },
                         { eventLine(before, "close", 3, {}), stop + 2 },
                         { eventLine(before, "start", 3, {}), stop + 2 },
                         { eventLine(before, "exclude", 3, {}), stop + 1 } };
        for (const auto& [line, failsAt] : inserted) {
            const record::VerifyReport report = withLineInserted(lines, stop, line);
            QVERIFY2(report.outcome == Outcome::Broken, line.constData());
            QCOMPARE(report.line, failsAt);
        }
        record::VerifyReport report = forgedRecord(lines, start, [](QJsonObject& object) {
            setDetail("slowStopOption", true)(object);
            setDetail("speed", 5)(object);
        });
        QVERIFY(report.outcome == Outcome::Broken);
        QCOMPARE(report.line, start + 1);
        report = forgedRecord(lines, int(lines.size()) - 1, [](QJsonObject& end) { end.insert("events", true); });
        QVERIFY2(report.reason.contains("不是整数"), qPrintable(report.reason));
    }

    void aRedrawHandsBackWithinItsStart()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n丙\n丁\n戊\n己");
        s.draw(3, 1);
        // The preset reached: 重新摇号 hands the result back as the next draw starts.
        s.desk.messageBox.answerNext(IMessageBox::Answer::Yes);
        QTest::mouseClick(s.window.page(3)->drawButton, Qt::LeftButton);
        QVERIFY(s.window.drawWindow()->isVisible());
        s.desk.timer.fire(50);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const record::VerifyReport report = verify(s.record().bytes);
        QVERIFY2(report.outcome == Outcome::Holds, qPrintable(report.reason));
        const std::vector<record::ResultChange>& changes = report.summary.categories[3].resultChanges;
        QCOMPARE(int(changes.size()), 3);
        QVERIFY(changes[1].kind == record::ResultChange::Kind::HandedBack);
        QCOMPARE(changes[1].name, changes[0].name);
    }

    void timesRunForwardInOneSession()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n丙\n丁\n戊\n己");
        s.desk.clock.time = s.desk.clock.time.addSecs(60);
        s.draw(3, 1);
        s.desk.clock.time = s.desk.clock.time.addSecs(60);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const record::VerifyReport genuine = verify(joined(lines));
        QVERIFY2(genuine.outcome == Outcome::Holds, qPrintable(genuine.reason + "\n" + joined(lines)));
        auto shifted = [](int seconds) {
            return [seconds](QJsonObject& object) {
                for (const QString key : { "time", "sessionStarted", "written" })
                    if (object.contains(key))
                        object.insert(
                            key, record::utcText(record::utcFromText(object.value(key).toString()).addSecs(seconds)));
                for (const QString key : { "localTime", "sessionStartedLocal" })
                    if (object.contains(key))
                        object.insert(key,
                                      record::localText(record::utcFromText(
                                          object.value(key == "localTime" ? "time" : "sessionStarted").toString())));
            };
        };
        // A session begun after its first line; a file written before its session; a stop before its start.
        QVERIFY(forgedRecord(lines, 0,
                             [&](QJsonObject& header) {
                                 header.insert("sessionStarted", objectOf(lines[2]).value("time"));
                                 header.insert("sessionStartedLocal", objectOf(lines[2]).value("localTime"));
                             })
                    .outcome
                == Outcome::Broken);
        QVERIFY(forgedRecord(lines, 0,
                             [&](QJsonObject& header) {
                                 header.insert(
                                     "written",
                                     record::utcText(
                                         record::utcFromText(header.value("sessionStarted").toString()).addDays(-1)));
                             })
                    .outcome
                == Outcome::Broken);
        const int stop = firstLineOf(lines, "stop");
        QVERIFY(stop > 0);
        const record::VerifyReport early = forgedRecord(lines, stop, shifted(-90));
        QVERIFY(early.outcome == Outcome::Broken);
        QCOMPARE(early.line, stop + 1);
        // Another session's lines after this one's: later than this file was written.
        QList<QByteArray> spliced = lines;
        spliced.removeLast();
        for (int i = 1; i + 1 < lines.size(); ++i) {
            QJsonObject object = objectOf(lines[i]);
            shifted(3600)(object);
            object.insert("seq", int(spliced.size()));
            spliced.append(record::canonicalLine(object));
        }
        QJsonObject end = objectOf(lines.last());
        end.insert("events", int(spliced.size()) - 1);
        spliced.append(record::canonicalLine(end));
        QVERIFY(verify(rechained(spliced)).outcome == Outcome::Broken);
        // Two files one after the other.
        QVERIFY(verify(joined(lines) + joined(lines)).outcome != Outcome::Holds);
    }

    void everyValueHasOneSpellingAndTheFingerprintPinsTheList()
    {
        RecordSession s;
        s.enterCandidates(3, "甲\n乙\n丙");
        s.draw(3, 1);
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        const int start = firstLineOf(lines, "start");
        // A seed in upper-case hexadecimal.
        const QString seed = detailOf(lines[start], "shuffleSeed").toString();
        QVERIFY(seed != seed.toUpper());
        QVERIFY(forgedRecord(lines, start, setDetail("shuffleSeed", seed.toUpper())).outcome == Outcome::Broken);
        // Two names made one with a line feed in it: the first format's fingerprint stayed the same.
        auto entered = [](const QStringList& names) {
            return [names](QJsonObject& object) {
                object.insert("changes", QJsonArray { listChange("append", 3, "candidates", names) });
            };
        };
        const int entry = firstLineOf(lines, "manualEntry");
        QVERIFY(forgedRecord(lines, entry, entered({ "甲\n乙", "丙" })).outcome == Outcome::Broken);
        QCOMPARE(listFingerprintV1({ "甲\n乙", "丙" }), listFingerprintV1({ "甲", "乙", "丙" }));
        // A name with an unpaired surrogate.
        const record::VerifyReport broken = forgedRecord(lines, entry, entered({ "甲", QString(QChar(0xD800)), "丙" }));
        QVERIFY(broken.outcome == Outcome::Broken);
        QCOMPARE(broken.line, entry + 1);

        // A name with a zero-width space is shown with it.
        RecordSession hidden;
        hidden.enterCandidates(3, QString("甲公司\n乙") + QChar(0x200B) + "公司");
        hidden.draw(3, 1);
        const record::VerifyReport report = verify(hidden.record().bytes);
        QVERIFY(report.outcome == Outcome::Holds);
        QCOMPARE(report.summary.invisibleNames, QStringList { "乙<U+200B>公司" });
    }

    void wheelOrderIsRecomputedFromTheSeed_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("duplicates and empty names") << QStringList { "甲", "", "乙", "甲", "", "丙", "甲" };
        QTest::newRow("one name") << QStringList { "独一" };
        QStringList largest;
        for (int i = 0; i < 32767; ++i)
            largest << QString("企业%1").arg(i % 30000); // some twice
        QTest::newRow("32767 names") << largest;
    }
    void wheelOrderIsRecomputedFromTheSeed()
    {
        QFETCH(QStringList, names);
        RecordSession s;
        importByHand(s.window.session(), 4, names);
        CategoryPage* page = s.window.page(4);
        page->presetCount->setText("1");
        QTest::mouseClick(page->drawButton, Qt::LeftButton);
        QVERIFY(s.window.drawWindow()->isVisible());
        // The wheel lays out the candidates in the order the start's seed gives.
        SeededStream stream(s.seeds.given.last());
        QCOMPARE(s.candidates(4).items(), shuffledItems(names, stream));
        s.desk.timer.fire(names.size() == 1 ? 24 : 50);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(s.results(4).count(), 1);
        const record::VerifyReport report = verify(s.record().bytes);
        QVERIFY2(report.outcome == Outcome::Holds, qPrintable(report.reason));
        QCOMPARE(report.summary.categories[4].draws.front().name, s.results(4).items().front());
        QCOMPARE(report.summary.categories[4].draws.front().fingerprint, listFingerprint(names));
    }

    void badInputIsNoRecord()
    {
        QTemporaryDir dir;
        auto verifyFile = [&](const QString& name) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::ReadOnly);
            return record::verifyRecord(file);
        };
        auto writeFile = [&](const QString& name, const QByteArray& bytes) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        writeFile("empty", {});
        QVERIFY(verifyFile("empty").outcome == Outcome::NotARecord);
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 131 + 7) % 256));
        writeFile("binary", binary);
        QVERIFY(verifyFile("binary").outcome == Outcome::NotARecord);
        writeFile("text", "摇号记录\n第二行\n");
        QVERIFY(verifyFile("text").outcome == Outcome::NotARecord);
        writeFile("other json", "{\"format\":\"something else\"}\n");
        QVERIFY(verifyFile("other json").outcome == Outcome::NotARecord);
        RecordSession s;
        const QList<QByteArray> lines = linesOf(s.record().bytes);
        writeFile("later line", lines[0] + "\nnot json at all\n");
        const record::VerifyReport later = verifyFile("later line");
        // Only the first line decides whether the file is a record; a later line that is no JSON is a
        // record that does not hold there.
        QVERIFY(later.outcome == Outcome::Broken);
        QCOMPARE(later.line, 2);
        QVERIFY(!later.reason.contains("error") && later.reason.contains("JSON"));

        // Sparse files: a gigabyte of zeros, and a record whose second line runs to a hundred megabytes.
        // Neither is read further than the longest line a record may have.
        const qint64 before = peakMemoryKb();
        {
            QFile huge(dir.filePath("huge"));
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(1024LL * 1024 * 1024));
        }
        QVERIFY(verifyFile("huge").outcome == Outcome::NotARecord);
        {
            QFile longLine(dir.filePath("long line"));
            QVERIFY(longLine.open(QIODevice::WriteOnly));
            longLine.write(lines[0] + "\n{\"prev\":\"");
            QVERIFY(longLine.resize(100LL * 1024 * 1024 + lines[0].size()));
            longLine.seek(longLine.size());
            longLine.write("\"}\n");
        }
        const record::VerifyReport longLine = verifyFile("long line");
        QVERIFY(longLine.outcome == Outcome::NotARecord);
        QCOMPARE(longLine.line, 2);
        if (before > 0)
            QVERIFY2(peakMemoryKb() - before < 200 * 1024, qPrintable(QString::number(peakMemoryKb() - before)));
    }

    void theCommandSaysWhatItCheckedAndExitsByOutcome()
    {
        RecordSession s;
        fillSession(s);
        const record::WrittenRecord written = s.record();
        QTemporaryDir dir;
        auto run = [&](const QByteArray& bytes, QString& text) {
            const QString path = dir.filePath("记录.jsonl");
            QFile file(path);
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(bytes);
            file.close();
            QTextStream out(&text);
            return record::runVerify(path, out);
        };
        QString text;
        QCOMPARE(run(written.bytes, text), 0);
        QVERIFY(text.contains(written.checkCode));
        QVERIFY(text.contains("结论：记录完整"));
        for (const QString& name : s.results(3).items())
            QVERIFY(text.contains(name));

        QList<QByteArray> lines = linesOf(written.bytes);
        lines.removeAt(3);
        text.clear();
        QCOMPARE(run(joined(lines), text), 1);
        QVERIFY2(text.contains("第 4 行不成立"), qPrintable(text));
        text.clear();
        QCOMPARE(run("\x89PNG\r\n\x1a\n", text), 2);
        QVERIFY(text.contains("不是摇号记录"));
        text.clear();
        QTextStream out(&text);
        QCOMPARE(record::runVerify(dir.filePath("没有这个文件.jsonl"), out), 2);
        QCOMPARE(record::runVerify(dir.path(), out), 2);
    }

private:
    static qint64 peakMemoryKb()
    {
        QFile status("/proc/self/status");
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').front().toLongLong();
        return -1;
    }
};

QTEST_MAIN(RecordTest)
#include "test_record.moc"
