#include "commands/AppContext.h"
#include "fakes/FakeClipboard.h"
#include "fakes/MemoryPages.h"
#include "output/ClipboardCopy.h"
#include "platform/scripted/ScriptedMessageBox.h"

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
        pages = std::make_unique<MemoryPages>(*context);
        clipboard.content = QStringLiteral("earlier");
        clipboard.clears = 0;
        box.shown.clear();
        context->services.clipboard = &clipboard;
        context->services.messageBox = &box;
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
        (*pages)[3].results.setItems(names);
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
        (*pages)[6].results.setItems({ QStringLiteral("甲") });
        ClipboardCopy(*context).copyResults(6);
        QCOMPARE(box.lastText(), QStringLiteral("摇出的“摇号名单”名单已复制到电脑粘贴板。"));
    }

private:
    std::unique_ptr<AppContext> context;
    FakeClipboard clipboard;
    ScriptedMessageBox box;
    std::unique_ptr<MemoryPages> pages;
};

QTEST_GUILESS_MAIN(ClipboardCopyTest)
#include "test_clipboard_copy.moc"
