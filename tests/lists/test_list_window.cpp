#include "fakes/ScriptedRandom.h"
#include "model/Session.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/MainWindow.h"

#include "ui/NameListView.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

using Answer = IMessageBox::Answer;

namespace {

QStringList itemsOf(const NameListView* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->text(i));
    return items;
}

// The real main window with the fake message box, driven through its buttons. Categories 3 and 6 are the
// pages each tab control opens on, so their buttons are on screen.
struct Window
{
    Window()
        : window(services())
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("main window not exposed");
    }

    Services services()
    {
        Services s;
        s.messageBox = &messageBox;
        s.random = &random;
        return s;
    }

    template <typename T> T* find(const QString& name) const
    {
        T* child = window.findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QPushButton* button(const QString& name, int i) const
    {
        return find<QPushButton>(name + u'_' + QString::number(i));
    }
    NameListView* list(const QString& name, int i) const
    {
        return find<NameListView>(name + u'_' + QString::number(i));
    }
    // Appends names to a page's list as a command would.
    void add(const QString& name, int i, const QStringList& names)
    {
        const ListKind kind = name == u"List1"_qs ? ListKind::Candidates
            : name == u"List5"_qs                 ? ListKind::Results
                                                  : ListKind::History;
        window.session().appendNames(i, kind, names);
    }
    QString label(int i) const { return find<QLabel>(u"Label2_"_qs + QString::number(i))->text(); }
    QString drawn(int i) const { return find<QLineEdit>(u"Text6_"_qs + QString::number(i))->text(); }

    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // Chinese text arrives from the input method as a committed string, not as key presses.
    void type(QWidget* w, const QString& text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(w, &event);
    }
    void select(NameListView* list, int row)
    {
        const QRect item = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    }

    ScriptedMessageBox messageBox;
    ScriptedRandom random;
    MainWindow window;
};

} // namespace

class TestListWindow : public QObject
{
    Q_OBJECT

private slots:
    void handBackButtons_data();
    void handBackButtons();
    void deleteButtons();
    void clearCandidatesButton();
    void manualEntryCommit();
    void excludeButton();
    void pastedLineBreaksEndNames();
    void shuffleLeavesNothingSelectedOnScreen();
};

void TestListWindow::handBackButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("drawnCount");

    const QStringList xab { u"X"_qs, u"A"_qs, u"B"_qs };
    const QStringList ab { u"A"_qs, u"B"_qs };
    QTest::newRow("撤 Yes") << u"Command21"_qs << Answer::Yes << xab << QStringList() << u"3"_qs << u"0"_qs;
    QTest::newRow("撤 No") << u"Command21"_qs << Answer::No << QStringList { u"X"_qs } << ab << u"1"_qs << u"2"_qs;
    QTest::newRow("清 Yes") << u"Command8"_qs << Answer::Yes << xab << QStringList() << u"3"_qs << u"0"_qs;
    QTest::newRow("清 No") << u"Command8"_qs << Answer::No << QStringList { u"X"_qs } << QStringList() << u"1"_qs
                           << u"0"_qs;
}

void TestListWindow::handBackButtons()
{
    QFETCH(QString, button);
    QFETCH(Answer, answer);
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, results);
    QFETCH(QString, counter);
    QFETCH(QString, drawnCount);

    Window w;
    w.add(u"List1"_qs, 3, { u"X"_qs });
    w.find<QLabel>(u"Label2_3"_qs)->setText(u"1"_qs);
    w.add(u"List5"_qs, 3, { u"A"_qs, u"B"_qs });
    w.find<QLineEdit>(u"Text6_3"_qs)->setText(u"2"_qs);
    w.messageBox.answerNext(answer);

    w.click(w.button(button, 3));

    QCOMPARE(w.messageBox.shown.size(), 1);
    QCOMPARE(w.messageBox.shown.first().title, u"Pelorinv1.0_PC版"_qs);
    QCOMPARE(itemsOf(w.list(u"List1"_qs, 3)), candidates);
    QCOMPARE(itemsOf(w.list(u"List5"_qs, 3)), results);
    QCOMPARE(w.label(3), counter);
    QCOMPARE(w.drawn(3), drawnCount);
}

void TestListWindow::deleteButtons()
{
    Window w;
    NameListView* candidates = w.list(u"List1"_qs, 6);
    NameListView* results = w.list(u"List5"_qs, 6);
    w.add(u"List1"_qs, 6, { u"A"_qs, u"B"_qs, u"C"_qs });
    w.add(u"List5"_qs, 6, { u"R1"_qs, u"R2"_qs, u"R3"_qs });
    w.find<QLineEdit>(u"Text6_6"_qs)->setText(u"9"_qs);

    w.click(w.button(u"Command4"_qs, 6));
    w.click(w.button(u"Command20"_qs, 6));
    QCOMPARE(itemsOf(candidates), (QStringList { u"A"_qs, u"B"_qs, u"C"_qs }));
    QCOMPARE(results->count(), 3);
    QCOMPARE(w.label(6), u"3"_qs);
    QCOMPARE(w.drawn(6), u"9"_qs);

    w.select(candidates, 1);
    w.click(w.button(u"Command4"_qs, 6));
    QCOMPARE(itemsOf(candidates), (QStringList { u"A"_qs, u"C"_qs }));
    QCOMPARE(w.label(6), u"2"_qs);

    w.select(results, 1);
    w.click(w.button(u"Command20"_qs, 6));
    QCOMPARE(itemsOf(candidates), (QStringList { u"A"_qs, u"C"_qs, u"R2"_qs }));
    QCOMPARE(itemsOf(results), (QStringList { u"R1"_qs, u"R3"_qs }));
    QCOMPARE(w.drawn(6), u"2"_qs);
    QCOMPARE(w.label(6), u"3"_qs);
    QVERIFY(w.messageBox.shown.isEmpty());
}

void TestListWindow::clearCandidatesButton()
{
    Window w;
    w.add(u"List1"_qs, 3, { u"A"_qs, u"B"_qs });
    w.find<QLabel>(u"Label2_3"_qs)->setText(u"2"_qs);
    w.click(w.button(u"Command27"_qs, 3));
    QCOMPARE(w.list(u"List1"_qs, 3)->count(), 0);
    QCOMPARE(w.label(3), u"XXXX"_qs);
}

void TestListWindow::manualEntryCommit()
{
    Window w;
    w.add(u"List1"_qs, 6, { u"旧"_qs });
    w.click(w.button(u"Command9"_qs, 6));

    auto* panel = w.find<QWidget>(u"Picture6"_qs);
    auto* text = w.find<QPlainTextEdit>(u"Text8"_qs);
    QVERIFY(panel->isVisible());
    QVERIFY(text->isVisible());
    QCOMPARE(w.find<QLabel>(u"Label12_0"_qs)->text(),
             u"手工直接录入或者复制名单：   （当前录入对象为“摇号名单”名单）"_qs);

    text->setFocus();
    w.type(text, u"张 三"_qs);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_Return);
    w.type(text, u"李四"_qs);
    QTest::keyClick(text, Qt::Key_Return);
    w.click(w.find<QPushButton>(u"Command10"_qs));

    QCOMPARE(itemsOf(w.list(u"List1"_qs, 6)), (QStringList { u"旧"_qs, u"张三"_qs, QString(), u"李四"_qs }));
    QCOMPARE(w.label(6), u"4"_qs);
    QVERIFY(!panel->isVisible());
    for (const QString& name : { u"Label12_0"_qs, u"Label12_1"_qs, u"Text8"_qs, u"Command10"_qs, u"Command18"_qs })
        QVERIFY2(w.find<QWidget>(name)->isHidden(), qPrintable(name));
    QVERIFY(w.messageBox.shown.isEmpty());

    // The typed text stays for the next opening, here for the history list of another page.
    w.click(w.button(u"Command23"_qs, 3));
    QCOMPARE(text->toPlainText(), u"张 三\n\n李四\n"_qs);
    w.click(w.find<QPushButton>(u"Command18"_qs));
    QVERIFY(!panel->isVisible());
    QCOMPARE(w.list(u"List4"_qs, 3)->count(), 0);
}

void TestListWindow::pastedLineBreaksEndNames()
{
    // Text from other programs arrives with LF, lone CR or CR LF breaks; pasted into the real entry area,
    // each of them ends a name.
    Window w;
    w.click(w.button(u"Command9"_qs, 6));
    auto* text = w.find<QPlainTextEdit>(u"Text8"_qs);
    text->setFocus();
    QGuiApplication::clipboard()->setText(u"甲\n乙\r丙\r\n丁\n\n戊"_qs);
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    w.click(w.find<QPushButton>(u"Command10"_qs));
    QCOMPARE(itemsOf(w.list(u"List1"_qs, 6)),
             (QStringList { u"甲"_qs, u"乙"_qs, u"丙"_qs, u"丁"_qs, QString(), u"戊"_qs }));
}

void TestListWindow::shuffleLeavesNothingSelectedOnScreen()
{
    Window w;
    NameListView* list = w.list(u"List1"_qs, 6);
    w.add(u"List1"_qs, 6, { u"甲"_qs, u"乙"_qs, u"丙"_qs, u"丁"_qs });
    w.select(list, 2);
    QVERIFY(list->selectionModel()->hasSelection());
    w.click(w.button(u"Command26"_qs, 6));
    QVERIFY(!list->selectionModel()->hasSelection());
    QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(list->count(), 4);
}

void TestListWindow::excludeButton()
{
    Window w;
    w.add(u"List1"_qs, 3, { u"张三"_qs, u"李四"_qs, u"张三"_qs });
    w.click(w.button(u"Command6"_qs, 3));
    QCOMPARE(w.messageBox.texts(), QStringList { u"还没有导入历史摇出对象名单。"_qs });

    w.add(u"List4"_qs, 3, { u"张三"_qs });
    w.click(w.button(u"Command6"_qs, 3));
    QCOMPARE(itemsOf(w.list(u"List1"_qs, 3)), (QStringList { u"李四"_qs, u"张三"_qs }));
    QCOMPARE(w.label(3), u"2"_qs);
}

QTEST_MAIN(TestListWindow)
#include "test_list_window.moc"
