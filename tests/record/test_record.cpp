// The draw record: written from a session driven through the real window, verified by replaying it, and
// refused when any byte, line or fact of it changed.
#include "RecordSession.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/Shuffle.h"
#include "output/VerifyCommand.h"
#include "record/RecordFormat.h"
#include "record/RecordVerifier.h"
#include "ui/BottomBar.h"

#include <QCheckBox>

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
        // Written by the program before the session model; the verdict and every line after the file's
        // name are what that program printed.
        QFETCH(QString, name);
        const QString folder = PELORIN_TEST_DATA "/earlier/";
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(record::runVerify(folder + name + ".jsonl", out), 0);
        QFile expected(folder + name + ".verified.txt");
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QCOMPARE(printed.section('\n', 1).trimmed(), QString::fromUtf8(expected.readAll()).trimmed());
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
        report = forged(
            stop,
            editDetails("shownSteps",
                        objectOf(lines[stop]).value("details").toObject().value("shownSteps").toInteger() + 6));
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
        QCOMPARE(details.value("slowStopTurn").toInteger(), stream.between(360 * 5, 3 * 360 * 5 - 1));
        QVERIFY(
            objectOf(lines[firstLineOf(lines, "start")]).value("details").toObject().value("slowStopOption").toBool());

        // A turn that does not lead from the press to the rest, even rechained, fails.
        QList<QByteArray> changed = lines;
        QJsonObject object = objectOf(changed[stop]);
        QJsonObject edited = details;
        edited.insert("slowStopTurn", details.value("slowStopTurn").toInteger() + 360);
        object.insert("details", edited);
        changed[stop] = record::canonicalLine(object);
        const record::VerifyReport forged = verify(rechained(changed));
        QVERIFY(forged.outcome == Outcome::Broken);
        QCOMPARE(forged.line, stop + 1);
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
        s.window.session().replaceCandidates(4, names);
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
        QVERIFY(later.outcome == Outcome::NotARecord);
        QCOMPARE(later.line, 2);

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
