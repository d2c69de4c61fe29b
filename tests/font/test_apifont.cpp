#include "fakes/RecordingSurface.h"
#include "font/APIFont.h"

#include <QTest>

using namespace pelorin;
using pelorin::test::RecordingSurface;

class APIFontTest : public QObject
{
    Q_OBJECT
private slots:
    void newObjectHasTheRecordDefaults()
    {
        RecordingSurface surface;
        APIFont font;
        font.SelectFont(surface);
        font.FontOut(QStringLiteral("7"), surface, 10, 20);
        const LogicalFont used = surface.callsOf(QStringLiteral("text")).first().font;
        QCOMPARE(used.height, 15);
        QCOMPARE(used.width, 5);
        QCOMPARE(used.weight, 400);
        QCOMPARE(used.escapement, 0);
        QCOMPARE(used.faceName, QStringLiteral("Arial"));
        QCOMPARE(int(used.italic) + used.underline + used.strikeOut, 0);
        QCOMPARE(font.FaceName().size(), 50);
        QCOMPARE(font.FaceName().at(5), QChar(0));
    }

    void faceNameIsAFixedField()
    {
        APIFont font;
        font.setFaceName(QStringLiteral("Tahoma"));
        QCOMPARE(font.FaceName(), QStringLiteral("Tahoma") + QString(44, QLatin1Char(' ')));
        QVERIFY(!font.FaceName().contains(QChar(0)));
        QCOMPARE(font.record().faceName, QStringLiteral("Tahoma"));
        font.setFaceName(QString(60, QLatin1Char('x')));
        QCOMPARE(font.FaceName(), QString(50, QLatin1Char('x')));
    }

    void setAlignCombinesTheGroups_data()
    {
        QTest::addColumn<QList<bool>>("flags"); // Top, BaseLine, Bottom, Left, Center, Right
        QTest::addColumn<int>("align");
        QTest::newRow("none") << QList<bool> { false, false, false, false, false, false } << 0;
        QTest::newRow("top centre bottom") << QList<bool> { true, false, true, false, true, false } << 14;
        QTest::newRow("baseline right") << QList<bool> { false, true, false, false, false, true } << 26;
        QTest::newRow("bottom wins over baseline") << QList<bool> { true, true, true, false, false, false } << 8;
        QTest::newRow("right wins over centre") << QList<bool> { false, false, false, true, true, true } << 2;
    }
    void setAlignCombinesTheGroups()
    {
        QFETCH(QList<bool>, flags);
        QFETCH(int, align);
        RecordingSurface surface;
        APIFont().SetAlign(surface, flags[0], flags[1], flags[2], flags[3], flags[4], flags[5]);
        QCOMPARE(surface.align, align);
    }

    void charPlaceClipsToTwiceTheTextAndKeepsTheClip()
    {
        RecordingSurface surface; // 8 units a character, 12 high
        APIFont font;
        font.CharPlace(surface, QStringLiteral("abcde"), 10, 20); // 40 wide
        QCOMPARE(surface.clip, QRect(QPoint(10, 20), QPoint(89, 43))); // (10, 20)-(90, 44), right and bottom open
        QCOMPARE(surface.callsOf(QStringLiteral("text")).first().a, QPointF(10, 20));
        font.FontOut(QStringLiteral("x"), surface, 0, 0);
        QCOMPARE(surface.callsOf(QStringLiteral("text")).last().rect, surface.clip);
    }

    void escapementReachesTheSurfaceAndSelectOrgRestores()
    {
        RecordingSurface surface;
        APIFont font;
        font.setEscapement(-900);
        font.SelectFont(surface);
        QVERIFY(surface.current != 1);
        font.FontOut(QStringLiteral("12"), surface, 2.5, 3.5); // halves to even
        const auto text = surface.callsOf(QStringLiteral("text")).first();
        QCOMPARE(text.font.escapement, -900);
        QCOMPARE(text.a, QPointF(2, 4));
        font.SelectOrg(surface);
        QCOMPARE(surface.current, 1);
        QCOMPARE(surface.deleted, 1);
        QVERIFY(surface.fonts.isEmpty());
    }

    void selectOrgWithoutSelectFontChangesNothing()
    {
        RecordingSurface surface;
        APIFont font;
        font.SelectOrg(surface);
        QCOMPARE(surface.current, 1);
        QCOMPARE(surface.deleted, 0);
    }

    void propertiesOnlyTakeEffectAtTheNextSelect()
    {
        RecordingSurface surface;
        APIFont font;
        font.SelectFont(surface);
        font.setHeight(30);
        font.setWeight(700);
        font.FontOut(QStringLiteral("a"), surface, 0, 0);
        QCOMPARE(surface.callsOf(QStringLiteral("text")).last().font.height, 15);
        font.SelectOrg(surface);
        font.SelectFont(surface);
        font.FontOut(QStringLiteral("a"), surface, 0, 0);
        QCOMPARE(surface.callsOf(QStringLiteral("text")).last().font.height, 30);
        QCOMPARE(surface.callsOf(QStringLiteral("text")).last().font.weight, 700);
    }
};

QTEST_GUILESS_MAIN(APIFontTest)
#include "test_apifont.moc"
