#include "output/ExportNames.h"

#include <QTest>

using namespace pelorin;

class ExportNamesTest : public QObject
{
    Q_OBJECT
private slots:
    void typedNamesThatCannotNameAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "春季" << true;
        QTest::newRow("empty keeps the usual name") << "" << true;
        QTest::newRow("spaces and dots inside") << "a b.c" << true;
        for (const char* bad : { "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b" })
            QTest::newRow(bad) << QString::fromLatin1(bad) << false;
        QTest::newRow("tab") << "a\tb" << false;
        QTest::newRow("line break") << "a\nb" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dots") << "..." << false;
    }
    void typedNamesThatCannotNameAFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(exportnames::isValidFileName(name), valid);
    }

    void exportAllPathUsesTheImportsFolderAndSeparator()
    {
        QCOMPARE(exportnames::exportAllPathOf("D:\\lists", "\\team.xls", "spring", "组长", "20261206090507", "xls"),
                 QStringLiteral("D:\\lists\\spring_摇号导出（组长）名单_20261206090507.xls"));
        QCOMPARE(exportnames::exportAllPathOf("/home/a", "/team.xlsx", "", "成员", "20261206090507", "xlsx"),
                 QStringLiteral("/home/a/_摇号导出（成员）名单_20261206090507.xlsx"));
    }

    void suggestedNamesCarryTheTimeOfTheExport()
    {
        const QDateTime now(QDate(2026, 12, 7), QTime(9, 5, 7));
        QCOMPARE(exportnames::suggestedCategoryFileName("重点企业", now),
                 QStringLiteral("重点企业_摇号导出（重点企业）名单_20261207090507.xlsx"));
        QCOMPARE(exportnames::suggestedAllFileName("春季", "成员", now),
                 QStringLiteral("春季_摇号导出（成员）名单_20261207090507.xlsx"));
    }
};

QTEST_GUILESS_MAIN(ExportNamesTest)
#include "test_export_names.moc"
