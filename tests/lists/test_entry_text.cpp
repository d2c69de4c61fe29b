#include "lists/EntryText.h"

#include <QTest>

using namespace pelorin;

class TestEntryText : public QObject
{
    Q_OBJECT

private slots:
    void splitsLines_data();
    void splitsLines();
    void emptyText_data();
    void emptyText();
};

void TestEntryText::splitsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");

    const QString crlf = QStringLiteral("\r\n");
    const QString empty;

    QTest::newRow("two lines") << u"甲\r\n乙"_qs << QStringList { u"甲"_qs, u"乙"_qs };
    QTest::newRow("trailing line break trimmed") << u"甲\r\n乙\r\n"_qs << QStringList { u"甲"_qs, u"乙"_qs };
    QTest::newRow("spaces inside and around a name") << u" A B \r\nC"_qs << QStringList { u"AB"_qs, u"C"_qs };
    QTest::newRow("blank line between names")
        << u"A\r\n\r\nB\r\n\r\nC"_qs << QStringList { u"A"_qs, empty, u"B"_qs, empty, u"C"_qs };
    QTest::newRow("bare line break") << crlf << QStringList { empty, empty };
    QTest::newRow("two bare line breaks") << crlf + crlf << QStringList { empty, empty };
    QTest::newRow("typed marker") << u"A[@]B"_qs << QStringList { u"A"_qs, u"B"_qs };
    QTest::newRow("marker typed with a space in it") << u"A[ @]B"_qs << QStringList { u"A"_qs, u"B"_qs };
    QTest::newRow("bare LF joins") << u"A\nB\r\nC"_qs << QStringList { u"AB"_qs, u"C"_qs };
    QTest::newRow("lone CR kept") << u"A\rB"_qs << QStringList { u"A\rB"_qs };
    QTest::newRow("CR before CR LF kept") << u"A\r\r\nB"_qs << QStringList { u"A\r"_qs, u"B"_qs };
    QTest::newRow("ideographic space kept")
        << u"\u3000张 三\u3000\r\n李四"_qs << QStringList { u"\u3000张三\u3000"_qs, u"李四"_qs };
    QTest::newRow("control characters dropped")
        << QStringLiteral("A\tB\bC\vD") + QChar(u'\0') + QStringLiteral("E") << QStringList { u"ABCDE"_qs };
    QTest::newRow("tab-only line stays an empty name") << u"A\r\n\t\r\nB"_qs << QStringList { u"A"_qs, empty, u"B"_qs };
    QTest::newRow("trailing spaces before the last break") << u"A\r\n   "_qs << QStringList { u"A"_qs };

    QStringList tenEmptyThenName(10, empty);
    tenEmptyThenName.append(u"A"_qs);
    QTest::newRow("60 blank lines ahead") << crlf.repeated(60) + u"A"_qs << tenEmptyThenName;

    QStringList nameThenFive { u"A"_qs };
    nameThenFive.append(QStringList(5, empty));
    QTest::newRow("55 blank lines after") << u"A"_qs + crlf.repeated(55) << nameThenFive;

    QTest::newRow("50 blank lines each side")
        << crlf.repeated(50) + u"A"_qs + crlf.repeated(50) << QStringList { u"A"_qs };
    // 200 markers: 50 go from each end, the 100 left separate 101 empty names.
    QTest::newRow("only blank lines") << crlf.repeated(200) << QStringList(101, empty);
}

void TestEntryText::splitsLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);

    const std::optional<QStringList> split = splitEntryText(text);
    QVERIFY(split.has_value());
    QCOMPARE(*split, names);
}

void TestEntryText::emptyText_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing") << QString();
    QTest::newRow("spaces") << u"    "_qs;
    QTest::newRow("tabs and spaces") << u" \t \t\t "_qs;
    QTest::newRow("bare LF and NUL") << QStringLiteral("\n") + QChar(u'\0');
}

void TestEntryText::emptyText()
{
    QFETCH(QString, text);
    QVERIFY(!splitEntryText(text).has_value());
}

QTEST_GUILESS_MAIN(TestEntryText)
#include "test_entry_text.moc"
