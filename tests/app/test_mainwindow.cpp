#include "fakes/FakeDesktop.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "ui/BottomBar.h"
#include "ui/CategoryPage.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/DrawWindowPlacement.h"
#include "ui/EntryPanel.h"
#include "ui/MainWindow.h"
#include "ui/TaskWindow.h"

#include "ui/NameListView.h"
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>

using namespace pelorin;
using namespace pelorin::test;

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void theDrawWindowIsCentredNarrowThenWide()
    {
        // 7000 wide with the offset upwards, then 10365 wide at the same height.
        QCOMPARE(DrawWindowPlacement::narrowBounds(), QRect(2950, 1370, 7000, 7000));
        QCOMPARE(DrawWindowPlacement::wideBounds(), QRect(1267, 1370, 10365, 7000));
    }

    void theEntryPanelIsLaidOutUnderItsHeading()
    {
        // Heading 255 high, hint 180 high, confirm 1215 wide.
        const EntryPanelPlaces p
            = entryPanelPlaces(QSize(6615, 255), QSize(6615, 180), QSize(1215, 375), QSize(1455, 375));
        QCOMPARE(p.heading, QRect(3142, 600, 6615, 255));
        QCOMPARE(p.textArea, QRect(3142, 905, 6615, 8000));
        QCOMPARE(p.hint, QRect(3142, 9005, 6615, 180));
        QCOMPARE(p.confirm, QRect(5842, 9385, 1215, 375));
        QCOMPARE(p.close, QRect(7957, 9385, 1455, 375));
    }

    void init()
    {
        window.reset();
        desk = std::make_unique<FakeDesktop>();
        window = std::make_unique<MainWindow>(desk->services(), &desk->timer);
        exits = 0;
        window->setExitHandler([this] { ++exits; });
    }

    void captionAndFixedSize()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Pelorinv1.0_PC版"));
        window->show();
        const QSize outer(860, 716); // frame and caption included
        QCOMPARE(window->frameGeometry().size(), outer);
        const QSize client = window->size();
        window->resize(1200, 900);
        QCOMPARE(window->size(), client);
        window->setWindowState(Qt::WindowMaximized);
        QCOMPARE(window->size(), client);
        QCOMPARE(window->frameGeometry().size(), outer);
    }

    void pageButtonsCarryTheirCaptionsAndTips_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("accessibleName");
        // The accessible name is the caption, where a page does not show that caption twice.
        const QList<QStringList> table = {
            { "Command27", "清空", "", "清空候选名单" },
            { "Command4", "删选", "删除选中项", "删选" },
            { "Command9", "手工录入", "手工录入或者复制名单", "手工录入候选名单" },
            { "Command26", "重排序", "打乱排序", "重排序" },
            { "Command5", "导入历史摇中名单", "", "导入历史摇中名单" },
            { "Command23", "手工录入", "手工录入", "手工录入历史摇中名单" },
            { "Command6", "去已摇", "去除历史摇中名单", "去已摇" },
            { "Command17", "删选项", "删除选中项", "删选项" },
            { "Command7", "清空", "", "清空历史摇中名单" },
            { "Command21", "撤", "撤回已摇出的名单", "撤" },
            { "Command20", "删", "删除选中项", "删" },
            { "Command8", "清", "清空列表", "清" },
            { "Command24", "复制", "", "复制" },
            { "Command13", "导出", "", "导出" },
        };
        for (int i = 0; i < CategoryCount; ++i)
            for (const QStringList& row : table)
                QTest::addRow("%s_%d", qPrintable(row[0]), i)
                    << QStringLiteral("%1_%2").arg(row[0]).arg(i) << row[1] << row[2] << row[3];
    }
    void pageButtonsCarryTheirCaptionsAndTips()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QString, accessibleName);
        auto* button = window->findChild<QAbstractButton*>(control);
        QVERIFY2(button, qPrintable(control));
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), tip);
        QCOMPARE(button->accessibleName(), accessibleName);
    }

    void categoriesSitOnTheirTabs()
    {
        const QStringList tabs1 = { "摇组长", "摇副组长", "摇成员", "通用随机摇号" };
        const QStringList tabs2 = { "摇重点企业单位", "摇一般企业单位", "摇其它企业单位" };
        const QList<int> categories1 = { 0, 1, 2, 6 };
        for (int t = 0; t < 4; ++t) {
            QCOMPARE(window->inspectorTabs()->tabText(t), tabs1[t]);
            QCOMPARE(window->inspectorTabs()->widget(t), window->page(categories1[t]));
        }
        for (int t = 0; t < 3; ++t) {
            QCOMPARE(window->enterpriseTabs()->tabText(t), tabs2[t]);
            QCOMPARE(window->enterpriseTabs()->widget(t), window->page(3 + t));
        }
        QCOMPARE(window->inspectorTabs()->currentWidget(), window->page(6));
        QCOMPARE(window->enterpriseTabs()->currentWidget(), window->page(3));
    }

    void perCategoryCaptions()
    {
        const QStringList imports = { "提供组长名单", "提供副组长名单", "提供成员名单", "提供重点企业",
                                      "提供一般企业", "提供其它企业",   "提供摇号名单" };
        const QStringList drawn
            = { "摇中组长", "摇中副组长", "摇中成员", "摇中重点企业", "摇中一般企业", "摇中其它企业", "摇中其它企业" };
        const QStringList units = { "人", "人", "人", "个", "个", "个", "个" };
        for (int i = 0; i < CategoryCount; ++i) {
            CategoryPage* p = window->page(i);
            QCOMPARE(p->importCandidates->text(), imports[i]);
            QCOMPARE(p->drawnLabel->text(), drawn[i]);
            QCOMPARE(p->presetUnit->text(), units[i]);
            QCOMPARE(p->drawnUnit->text(), units[i]);
            QCOMPARE(p->presetLabel->text(), QStringLiteral("摇取"));
            QCOMPARE(p->resultsHeading->text(), QStringLiteral("摇出结果："));
        }
    }

    void startsEmptyWithInitialCounters()
    {
        for (int i = 0; i < CategoryCount; ++i) {
            CategoryPage* p = window->page(i);
            QCOMPARE(p->candidateCounter->text(), QStringLiteral("XXXX"));
            QCOMPARE(p->presetCount->text(), QStringLiteral("1"));
            QCOMPARE(p->drawnCount->text(), QStringLiteral("0"));
            QCOMPARE(p->candidates->count() + p->results->count() + p->history->count(), 0);
        }
        window->show();
        QVERIFY(!window->drawWindow()->isVisible());
        QVERIFY(!window->entryPanel()->isVisible());
        QCOMPARE(window->drawWindow()->speedBox->currentText(), QStringLiteral("15"));
        const AppState& s = window->context().state;
        QCOMPARE(window->session().currentCategory(), 0);
        QCOMPARE(s.EntryTarget, 1);
        QCOMPARE(window->session().progress().speed(), 15);
        QVERIFY(!window->session().progress().isRolling());
        QCOMPARE(s.WheelCenterY, 220.0f);
        QCOMPARE(s.WheelRadius, 2500.0f);
    }

    void everyControlHasAnAccessibleName()
    {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)
                || qobject_cast<QListWidget*>(w) || qobject_cast<QListView*>(w);
            if (control && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }

    // What a screen reader or an automated check sees: the accessibility tree, walked from the window as the
    // desktop's accessibility bus walks it. Every control has a name of its own (a combo box too, whose
    // view on Linux otherwise reports its current text), and no two controls of one page or panel share one.
    void theAccessibilityTreeNamesEveryControl()
    {
        window->show();
        const QSet<QAccessible::Role> controls
            = { QAccessible::PushButton, QAccessible::CheckBox, QAccessible::EditableText, QAccessible::ComboBox,
                QAccessible::List,       QAccessible::PageTab,  QAccessible::RadioButton,  QAccessible::SpinBox };
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        QVERIFY(root);
        int seen = 0;
        std::function<void(QAccessibleInterface*, const QString&, QStringList&)> walk;
        walk = [&](QAccessibleInterface* node, const QString& path, QStringList& names) {
            const QString name = node->text(QAccessible::Name);
            const QString here = path + QLatin1Char('/') + name;
            if (controls.contains(node->role())) {
                ++seen;
                QVERIFY2(!name.trimmed().isEmpty(), qPrintable(here + QLatin1String(" has no name")));
                if (node->role() == QAccessible::ComboBox)
                    QCOMPARE(name, QStringLiteral("转速"));
                if (node->role() != QAccessible::PageTab)
                    names.append(name);
            }
            // A page, a panel or the draw window is named, and its controls are told apart by their names.
            const bool scope = qobject_cast<CategoryPage*>(node->object()) || node->object() == window->drawWindow()
                || node->object() == window->entryPanel() || node->object() == window->bottomBar();
            // The edit field of a combo box rightly bears the box's own name.
            QStringList inner;
            QStringList ownParts;
            QStringList& childNames = node->role() == QAccessible::ComboBox ? ownParts : scope ? inner : names;
            for (int i = 0; i < node->childCount(); ++i)
                if (QAccessibleInterface* child = node->child(i))
                    walk(child, here, childNames);
            if (scope) {
                QVERIFY2(!name.isEmpty(), qPrintable(here + QLatin1String(" has no name")));
                QStringList twice = inner;
                twice.removeDuplicates();
                for (const QString& once : twice)
                    inner.removeOne(once);
                QVERIFY2(inner.isEmpty(), qPrintable(here + QLatin1String(": ") + inner.join(QLatin1Char(','))));
            }
        };
        QStringList top;
        walk(root, QString(), top);
        QVERIFY(seen > 7 * 20);

        // The speed box keeps its text as its value; its edit field and its list carry names too.
        QAccessibleInterface* speed = QAccessible::queryAccessibleInterface(window->drawWindow()->speedBox);
        QCOMPARE(speed->text(QAccessible::Value), QStringLiteral("15"));
        QCOMPARE(speed->childCount(), 2);
        QVERIFY(!speed->child(0)->text(QAccessible::Name).isEmpty());
        QCOMPARE(speed->child(1)->text(QAccessible::Name), QStringLiteral("转速"));

        // The candidate counter reads as the count it shows, from the start and after every change.
        CategoryPage* page = window->page(3);
        QAccessibleInterface* counter = QAccessible::queryAccessibleInterface(page->candidateCounter);
        QCOMPARE(counter->text(QAccessible::Name), QStringLiteral("XXXX"));
        QCOMPARE(counter->text(QAccessible::Description), QStringLiteral("候选名单数量"));
        window->entryPanel()->textArea->setPlainText(QStringLiteral("甲\n乙"));
        QTest::mouseClick(page->enterCandidates, Qt::LeftButton);
        QTest::mouseClick(window->entryPanel()->confirm, Qt::LeftButton);
        QCOMPARE(page->candidateCounter->text(), QStringLiteral("2"));
        QCOMPARE(counter->text(QAccessible::Name), QStringLiteral("2"));
        QCOMPARE(counter->text(QAccessible::Description), QStringLiteral("候选名单数量"));
    }

    void exitAnsweredNoChangesNothing()
    {
        window->session().appendNames(3, ListKind::Candidates, { QStringLiteral("张三") });
        desk->messageBox.answerNext(IMessageBox::Answer::No);
        QTest::mouseClick(window->findChild<QAbstractButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(exits, 0);
        QCOMPARE(desk->messageBox.lastText(), QStringLiteral("退出并关闭当前程序吗"));
        QCOMPARE(desk->messageBox.shown.last().title, QStringLiteral("退出并关闭当前程序提示："));
        QCOMPARE(desk->messageBox.shown.last().icon, IMessageBox::Icon::Question);

        window->show();
        desk->messageBox.answerNext(IMessageBox::Answer::No);
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QCOMPARE(exits, 0);
        QCOMPARE(window->page(3)->candidates->count(), 1);
    }

    void exitAnsweredYesEnds()
    {
        desk->messageBox.answerNext(IMessageBox::Answer::Yes);
        QTest::mouseClick(window->findChild<QAbstractButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(exits, 1);

        init();
        window->show();
        desk->messageBox.answerNext(IMessageBox::Answer::Yes);
        QVERIFY(window->close());
        QCOMPARE(exits, 1);
    }

    void linkButtonsOpenTheirAddresses()
    {
        QTest::mouseClick(window->findChild<QAbstractButton*>(QStringLiteral("Command19")), Qt::LeftButton);
        QTest::mouseClick(window->findChild<QAbstractButton*>(QStringLiteral("Command25")), Qt::LeftButton);
        QCOMPARE(desk->shell.opened.size(), 2);
        QVERIFY(desk->shell.opened.at(0).startsWith(QLatin1String("https://")));
        QVERIFY(desk->shell.opened.at(0) != desk->shell.opened.at(1));
    }

    void nothingOverlapsOnAPage()
    {
        // Sibling controls of a page must not cover each other (labels beside fields included); the design
        // lets some touch by one pixel.
        for (int i = 0; i < CategoryCount; ++i) {
            const QList<QWidget*> children = window->page(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (int a = 0; a < children.size(); ++a)
                for (int b = a + 1; b < children.size(); ++b)
                    QVERIFY2(!children[a]->geometry().adjusted(1, 1, -1, -1).intersects(children[b]->geometry()),
                             qPrintable(children[a]->objectName() + QLatin1String(" / ") + children[b]->objectName()));
        }
    }

    // The bottom bar's buttons hold their captions and cover none of each other.
    void theBottomBarHoldsItsButtons()
    {
        window->show();
        const QList<QPushButton*> bar = window->bottomBar()->findChildren<QPushButton*>();
        QCOMPARE(bar.size(), 7);
        for (int a = 0; a < bar.size(); ++a) {
            QVERIFY2(window->bottomBar()->rect().contains(bar[a]->geometry()), qPrintable(bar[a]->objectName()));
            QVERIFY2(bar[a]->fontMetrics().horizontalAdvance(bar[a]->text()) < bar[a]->width(),
                     qPrintable(bar[a]->objectName()));
            for (int b = a + 1; b < bar.size(); ++b)
                QVERIFY2(!bar[a]->geometry().adjusted(1, 1, -1, -1).intersects(bar[b]->geometry()),
                         qPrintable(bar[a]->objectName() + QLatin1String(" / ") + bar[b]->objectName()));
        }
    }

    // 检查任务分配 opens from the bottom bar: its controls, each named in Chinese for a screen reader, lie whole in
    // their boxes without covering each other; 分配 shows the session's assignment and the unmatched 回避 pairs.
    void theTaskWindowShowsTheAssignment()
    {
        window->show();
        window->bottomBar()->tasks->click();
        TaskWindow* tasks = window->taskWindow();
        QVERIFY(tasks && tasks->isVisible());
        QCOMPARE(tasks->windowTitle(), "检查任务分配");
        QApplication::processEvents();
        const QList<QWidget*> all = tasks->findChildren<QWidget*>();
        for (QWidget* parent : all + QList<QWidget*> { tasks }) {
            if (qobject_cast<QAbstractScrollArea*>(parent) || qobject_cast<QSpinBox*>(parent))
                continue; // their own insides
            QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            children.removeIf([](QWidget* child) { return !child->isVisible() || child->isWindow(); });
            for (int a = 0; a < children.size(); ++a) {
                QVERIFY2(parent->rect().contains(children[a]->geometry()), qPrintable(children[a]->objectName()));
                for (int b = a + 1; b < children.size(); ++b)
                    QVERIFY2(!children[a]->geometry().intersects(children[b]->geometry()),
                             qPrintable(children[a]->objectName() + QLatin1String(" / ") + children[b]->objectName()));
            }
        }
        const auto inside = [tasks](QWidget* control) { // a part of a scroll area or a spin box, named by it
            for (QWidget* up = control->parentWidget(); up && up != tasks; up = up->parentWidget())
                if (qobject_cast<QAbstractScrollArea*>(up) || qobject_cast<QSpinBox*>(up))
                    return true;
            return false;
        };
        for (QWidget* control : all)
            if (inside(control))
                continue;
            else if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QSpinBox*>(control)
                     || qobject_cast<QAbstractItemView*>(control) || qobject_cast<QPlainTextEdit*>(control))
                QVERIFY2(
                    control->accessibleName().contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
                    qPrintable(control->objectName()));
        QVERIFY(!tasks->exportTable->isEnabled());

        Session& session = window->session();
        session.appendNames(0, ListKind::Results, { "甲" });
        session.appendNames(2, ListKind::Results, { "乙", "丙" });
        session.appendNames(3, ListKind::Results, { "一号公司", "二号公司" });
        tasks->membersPerGroup->setValue(1);
        tasks->typedAvoidances->setPlainText("乙，一号公司\n无此人、二号公司");
        tasks->assign->click();
        QVERIFY2(desk->messageBox.shown.isEmpty(), qPrintable(desk->messageBox.lastText()));
        QCOMPARE(tasks->table->rowCount(), 1);
        QCOMPARE(tasks->table->item(0, 0)->text(), "第1组");
        QCOMPARE(tasks->table->item(0, 3)->text(), "丙"); // 乙 avoids 一号公司
        QCOMPARE(tasks->table->item(0, 4)->text(), "一号公司、二号公司");
        QCOMPARE(tasks->unmatched->count(), 1);
        QCOMPARE(tasks->unmatched->item(0)->text(), "无此人 — 二号公司");
        QVERIFY(tasks->exportTable->isEnabled());
        tasks->copy->click();
        QCOMPARE(desk->clipboard.content.count("\r\n"), 2);
    }

    // The open draw window shows every one of its controls whole, and none covers another; only the wheel
    // lies under them all.
    void theDrawWindowHoldsItsControlsWhole()
    {
        window->show();
        window->session().appendNames(3, ListKind::Candidates, { QStringLiteral("甲"), QStringLiteral("乙") });
        window->commands().draw.open(3);
        DrawWindowPanel* draw = window->drawWindow();
        QVERIFY(draw->isVisible());
        QCOMPARE(draw->width(), 691); // widened by the start
        // As the draw window stands, and with a 见证摇号's steps shown under the shortened list.
        for (const QString& ceremony : { QString(), QStringLiteral("见证摇号\n承诺值：\n0723 263d 7b35 40a6") }) {
            draw->showCeremony(ceremony);
            QList<QWidget*> children = draw->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            children.removeIf([draw](QWidget* child) { return !child->isVisibleTo(draw); });
            for (int a = 0; a < children.size(); ++a) {
                QVERIFY2(draw->rect().contains(children[a]->geometry()), qPrintable(children[a]->objectName()));
                if (children[a]->objectName() == QLatin1String("WheelView"))
                    continue;
                for (int b = a + 1; b < children.size(); ++b)
                    if (children[b]->objectName() != QLatin1String("WheelView"))
                        QVERIFY2(
                            !children[a]->geometry().intersects(children[b]->geometry()),
                            qPrintable(children[a]->objectName() + QLatin1String(" / ") + children[b]->objectName()));
            }
        }
        draw->showCeremony(QString());
        // The name box keeps its designed size.
        QCOMPARE(draw->nameBox->size(), QSize(464, 37));
    }

    // A name too long for the name box shows from its start, the sector number the wheel shows included.
    void aLongNameShowsFromItsNumber()
    {
        window->show();
        const QString name = QStringLiteral("内蒙古自治区呼和浩特市赛罕区某某某某某某科技发展有限责任公司第一分公司");
        window->session().appendNames(3, ListKind::Candidates, { name });
        window->page(3)->presetCount->setText(QStringLiteral("1"));
        window->commands().draw.open(3);
        QLineEdit* nameBox = window->drawWindow()->nameBox;
        for (int n = 0; n < 24; ++n) // speed 15: at 360 degrees the pointer reaches the only sector
            desk->timer.fire();
        QCOMPARE(nameBox->text(), QStringLiteral("1_") + name);
        QVERIFY(nameBox->fontMetrics().horizontalAdvance(nameBox->text()) > nameBox->width());
        nameBox->grab(); // lays the text out as a paint does
        QVERIFY(nameBox->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() < nameBox->width() / 10);
    }

private:
    std::unique_ptr<FakeDesktop> desk;
    std::unique_ptr<MainWindow> window;
    int exits = 0;
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
