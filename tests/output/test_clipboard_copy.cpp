#include "app/AppContext.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/MemoryControls.h"
#include "output/ClipboardCopy.h"

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

class ClipboardCopyTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        context = std::make_unique<AppContext>();
        clipboard.content = QStringLiteral("earlier");
        clipboard.clears = 0;
        box.shown.clear();
        context->services.clipboard = &clipboard;
        context->services.messageBox = &box;
        for (int i = 0; i < CategoryCount; ++i)
            context->category(i).results = &results[i];
        for (auto& r : results)
            r.clear();
    }

    void copiesEveryNameWithCrLf_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::newRow("two") << QStringList { "张三", "李四" } << "张三\r\n李四\r\n";
        QTest::newRow("one") << QStringList { "王五" } << "王五\r\n";
        QTest::newRow("spaces kept") << QStringList { " 赵六 ", "" } << " 赵六 \r\n\r\n";
    }
    void copiesEveryNameWithCrLf()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        results[3].setItems(names);
        ClipboardCopy(*context).copyResults(3);
        QCOMPARE(clipboard.content, text);
        QCOMPARE(clipboard.clears, 1);
        QCOMPARE(box.lastText(), QStringLiteral("摇出的“重点企业”名单已复制到电脑粘贴板。"));
        QCOMPARE(box.shown.last().title, QStringLiteral("Pelorinv1.0_PC版"));
        QCOMPARE(box.shown.last().icon, IMessageBox::Icon::Information);
    }

    void emptyResultsLeaveTheClipboard()
    {
        ClipboardCopy(*context).copyResults(3);
        QCOMPARE(clipboard.content, QStringLiteral("earlier"));
        QCOMPARE(clipboard.clears, 0);
        QCOMPARE(box.texts(), QStringList { "还没有内容可以复制。" });
    }

    void messageNamesTheFreeList()
    {
        results[6].append(QStringLiteral("甲"));
        ClipboardCopy(*context).copyResults(6);
        QCOMPARE(box.lastText(), QStringLiteral("摇出的“摇号名单”名单已复制到电脑粘贴板。"));
    }

private:
    std::unique_ptr<AppContext> context;
    FakeClipboard clipboard;
    FakeMessageBox box;
    MemoryNameList results[CategoryCount];
};

QTEST_GUILESS_MAIN(ClipboardCopyTest)
#include "test_clipboard_copy.moc"
