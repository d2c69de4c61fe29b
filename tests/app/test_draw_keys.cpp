// The draw as the keyboard drives it: real key events sent to whatever has the focus, and the real message
// boxes answered with Enter, in the real main window.
#include "fakes/FakeDesktop.h"
#include "model/Session.h"
#include "ui/CategoryPage.h"
#include "ui/DrawWindowPanel.h"
#include "ui/EntryPanel.h"
#include "ui/MainWindow.h"
#include "ui/NameListView.h"
#include "ui/ProjectorControl.h"
#include "ui/ProjectorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace pelorin;
using namespace pelorin::test;

namespace {

template <typename List> QStringList itemsOf(const List* list)
{
    return list->items();
}

} // namespace

class DrawKeysTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        window.reset();
        desk = std::make_unique<FakeDesktop>();
        Services services = desk->services();
        services.messageBox = nullptr; // the real boxes, answered by the keys below
        window = std::make_unique<MainWindow>(services, &desk->timer);
        exits = 0;
        window->setExitHandler([this] { ++exits; });
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        boxes.clear();
        // Whenever a message box is up, Enter goes to whatever has the focus in it.
        modalKeys = std::make_unique<QTimer>();
        modalKeys->setInterval(0);
        connect(modalKeys.get(), &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            boxes.append(box->text());
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Return);
        });
        modalKeys->start();
    }
    void cleanup()
    {
        modalKeys.reset();
        window.reset();
    }

    void noKeyDrawsAfterThePresetIsReached()
    {
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙\n丁"));
        QCOMPARE(general->candidates->count(), 4);
        general->presetCount->setText(QStringLiteral("1"));

        QTest::mouseClick(general->drawButton, Qt::LeftButton);
        QVERIFY(window->drawWindow()->isVisible());
        QCOMPARE(QApplication::focusWidget(), window->drawWindow()->startStop);
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter(); // stops: the preset count is reached, the notice is acknowledged with Enter
        QCOMPARE(boxes, QStringList { QStringLiteral("预设定摇取个数已摇完毕。") });
        QVERIFY(!window->drawWindow()->isVisible());
        QCOMPARE(QApplication::focusWidget(), general->drawButton);

        const QStringList candidates = itemsOf(general->candidates);
        const QStringList results = itemsOf(general->results);
        QCOMPARE(candidates.size(), 3);
        QCOMPARE(results.size(), 1);
        QCOMPARE(general->drawnCount->text(), QStringLiteral("1"));

        // The stray keys of a careless operator: nothing moves, nothing opens, nothing turns.
        for (int round = 0; round < 3; ++round) {
            pressEnter();
            for (int n = 0; n < 40; ++n)
                desk->timer.fire();
        }
        window->drawWindow()->startStop->click(); // even the hidden button itself, clicked
        window->drawWindow()->startStop->click();
        QCOMPARE(itemsOf(general->candidates), candidates);
        QCOMPARE(itemsOf(general->results), results);
        QCOMPARE(general->drawnCount->text(), QStringLiteral("1"));
        QCOMPARE(general->candidateCounter->text(), QStringLiteral("3"));
        QVERIFY(!window->drawWindow()->isVisible());
        QVERIFY(!window->context().session->progress().isRolling());
        QCOMPARE(boxes.size(), 1);

        // A stray Enter, then another category's draw: its name stays in its own category.
        pressEnter();
        CategoryPage* key = window->page(3);
        window->session().appendNames(3, ListKind::Candidates, { QStringLiteral("企业A"), QStringLiteral("企业B") });
        key->candidateCounter->setText(QStringLiteral("2"));
        QTest::mouseClick(key->drawButton, Qt::LeftButton);
        QVERIFY(window->drawWindow()->isVisible());
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QVERIFY(!window->drawWindow()->isVisible());
        QCOMPARE(key->results->count(), 1);
        QVERIFY(QStringList({ QStringLiteral("企业A"), QStringLiteral("企业B") }).contains(key->results->text(0)));
        QCOMPARE(itemsOf(general->candidates), candidates);
        QCOMPARE(itemsOf(general->results), results);
        QCOMPARE(QApplication::focusWidget(), key->drawButton);
    }

    void enterBetweenDrawsStartsTheNextOne()
    {
        // Below the preset count Enter keeps its meaning: stop, then start the next draw.
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙"));
        general->presetCount->setText(QStringLiteral("2"));
        QTest::mouseClick(general->drawButton, Qt::LeftButton);
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QVERIFY(window->drawWindow()->isVisible());
        QVERIFY(!window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 1);
        pressEnter();
        QVERIFY(window->context().session->progress().isRolling());
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QCOMPARE(general->results->count(), 2);
        QVERIFY(!window->drawWindow()->isVisible());
        QVERIFY(boxes.size() == 1);
    }

    void enterAfterChoosingASpeedGoesBackToTheDraw()
    {
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙"));
        general->presetCount->setText(QStringLiteral("2"));
        QTest::mouseClick(general->drawButton, Qt::LeftButton);
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QCOMPARE(general->results->count(), 1);

        // Typed into the speed box and confirmed: the Enter only confirms, the next one starts the draw.
        QComboBox* speed = window->drawWindow()->speedBox;
        speed->lineEdit()->setFocus();
        speed->lineEdit()->selectAll();
        QTest::keyClicks(speed->lineEdit(), QStringLiteral("20"));
        pressEnter();
        QCOMPARE(speed->currentText(), QStringLiteral("20"));
        QCOMPARE(QApplication::focusWidget(), window->drawWindow()->startStop);
        QVERIFY(!window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 1);
        pressEnter();
        QVERIFY(window->context().session->progress().isRolling());
        QCOMPARE(window->context().session->progress().speed(), 20);
    }

    // Tab reaches 随机缓停, 见证摇号 and 大屏显示; using them with the keyboard gives it back to the start/stop button.
    void tabReachesTheSlowStopAndTheProjector()
    {
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙"));
        general->presetCount->setText(QStringLiteral("3"));
        QTest::mouseClick(general->drawButton, Qt::LeftButton);
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter(); // stops
        DrawWindowPanel* draw = window->drawWindow();
        QCOMPARE(QApplication::focusWidget(), draw->startStop);

        QList<QWidget*> reached;
        for (int n = 0; n < 4; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.append(QApplication::focusWidget());
        }
        QCOMPARE(reached, (QList<QWidget*> { draw->close, draw->slowStop, draw->witnessed, draw->projector }));

        const bool wasOn = draw->slowStop->isChecked();
        draw->slowStop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(draw->slowStop, Qt::Key_Space);
        QCOMPARE(draw->slowStop->isChecked(), !wasOn);
        QCOMPARE(QApplication::focusWidget(), draw->startStop);
        draw->slowStop->setChecked(false);
        pressEnter();
        QVERIFY(window->context().session->progress().isRolling());
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QVERIFY(!window->context().session->progress().isRolling());

        draw->projector->setFocus(Qt::TabFocusReason);
        QTest::keyClick(draw->projector, Qt::Key_Space);
        QVERIFY(window->projector()->window() && window->projector()->window()->isVisible());
        QCOMPARE(window->focusWidget(), draw->startStop);
        window->projector()->close();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget(), draw->startStop);
        pressEnter();
        QVERIFY(window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 2);
    }

    void enterAnswersNoToEveryQuestion()
    {
        CategoryPage* general = window->page(6);
        window->session().appendNames(6, ListKind::Results, { QStringLiteral("甲"), QStringLiteral("乙") });
        general->drawnCount->setText(QStringLiteral("2"));

        QTest::mouseClick(general->withdrawResults, Qt::LeftButton); // 撤
        QTest::mouseClick(general->clearResults, Qt::LeftButton); // 清
        general->presetCount->setText(QStringLiteral("0"));
        window->session().appendNames(6, ListKind::Candidates, { QStringLiteral("丙") });
        QTest::mouseClick(general->drawButton, Qt::LeftButton); // 0 of 0 drawn: draw again?
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton); // exit
        QCOMPARE(boxes.size(), 4);
        QVERIFY(boxes.at(2).startsWith(QStringLiteral("当前预设数量已摇出。")));
        QCOMPARE(boxes.at(3), QStringLiteral("退出并关闭当前程序吗"));
        // Only the clearing itself went ahead: 清 answered No keeps the names out of the candidates.
        QCOMPARE(itemsOf(general->candidates), QStringList { QStringLiteral("丙") });
        QCOMPARE(general->results->count(), 0);
        QVERIFY(!window->drawWindow()->isVisible());
        QCOMPARE(exits, 0);
        QVERIFY(window->isVisible());
    }

    // A double click is one press on the controls that open and close the draw window. The close button
    // lies over the draw button of "通用随机摇号": without that rule the second press of a double click on
    // "关闭摇窗" opened a draw of that page, and one on its draw button closed the window it had just opened.
    void aDoubleClickOpensOrClosesOneWindow()
    {
        CategoryPage* general = window->page(6);
        CategoryPage* key = window->page(3);
        enterNames(general, QStringLiteral("甲\n乙\n丙"));
        enterNames(key, QStringLiteral("企业A\n企业B"));
        general->presetCount->setText(QStringLiteral("2"));
        key->presetCount->setText(QStringLiteral("2"));
        const QStringList generalNames = itemsOf(general->candidates);

        QTest::mouseClick(key->drawButton, Qt::LeftButton);
        QVERIFY(window->context().session->progress().isRolling());
        QPushButton* close = window->drawWindow()->close;
        const QRect both = QRect(close->mapTo(window.get(), QPoint(0, 0)), close->size())
            & QRect(general->drawButton->mapTo(window.get(), QPoint(0, 0)), general->drawButton->size());
        QVERIFY2(!both.isEmpty(), "the close button no longer lies over a draw button: find another pair");

        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, both.center());
        QVERIFY(!window->drawWindow()->isVisible());
        QVERIFY(!window->context().session->progress().isRolling());
        QCOMPARE(window->session().currentCategory(), 3);
        QCOMPARE(QApplication::focusWidget(), key->drawButton);
        QCOMPARE(itemsOf(general->candidates), generalNames); // not even shuffled
        QCOMPARE(key->results->count() + general->results->count(), 0);

        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, both.center());
        QVERIFY(window->drawWindow()->isVisible());
        QVERIFY(window->context().session->progress().isRolling());
        QCOMPARE(window->session().currentCategory(), 6);
        // The swallowed press took no focus either: the next Enter stops the draw, it does not close it.
        QCOMPARE(QApplication::focusWidget(), window->drawWindow()->startStop);
        for (int n = 0; n < 40; ++n)
            desk->timer.fire();
        pressEnter();
        QVERIFY(window->drawWindow()->isVisible());
        QCOMPARE(general->results->count(), 1);
        QVERIFY(boxes.isEmpty());
    }

    // Enter held down until the keyboard repeats it starts or stops once: the repeats do nothing, whether
    // they reach the preset field, the start/stop button or the projector view.
    void aHeldEnterIsOnePress()
    {
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙\n丁\n戊"));
        general->presetCount->setText(QStringLiteral("2"));
        general->presetCount->setFocus();

        holdEnter(); // opens the draw window and starts
        QVERIFY(window->drawWindow()->isVisible());
        QVERIFY(window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 0);
        QCOMPARE(QApplication::focusWidget(), window->drawWindow()->startStop);

        holdEnter(nullptr, Repeats::Unflagged); // stops
        QVERIFY(!window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 1);

        window->projector()->open();
        ProjectorWindow* mirror = window->projector()->window();
        QVERIFY(mirror && mirror->isVisible());
        holdEnter(mirror, Repeats::Unflagged); // starts, through the projector view
        QVERIFY(window->context().session->progress().isRolling());
        QCOMPARE(general->results->count(), 1);
        holdEnter(mirror); // stops: the second name, the notice answered, the window closed
        QCOMPARE(general->results->count(), 2);
        QCOMPARE(boxes, QStringList { QStringLiteral("预设定摇取个数已摇完毕。") });
        QVERIFY(!window->drawWindow()->isVisible());
        QCOMPARE(general->candidates->count(), 3);
    }

    // Space on the start/stop button, held down, also starts or stops once.
    void aHeldSpaceIsOnePress()
    {
        CategoryPage* general = window->page(6);
        enterNames(general, QStringLiteral("甲\n乙\n丙\n丁\n戊"));
        general->presetCount->setText(QStringLiteral("4"));
        QTest::mouseClick(general->drawButton, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), window->drawWindow()->startStop);
        for (int n = 0; n < 8; ++n)
            desk->timer.fire();

        for (Repeats repeats : { Repeats::Unflagged, Repeats::Flagged }) {
            holdKey(Qt::Key_Space, nullptr, repeats); // stops
            QVERIFY(!window->context().session->progress().isRolling());
            holdKey(Qt::Key_Space, nullptr, repeats); // starts
            QVERIFY(window->context().session->progress().isRolling());
        }
        QCOMPARE(general->results->count(), 2);
        QVERIFY(window->drawWindow()->isVisible());
        QVERIFY(boxes.isEmpty());
    }

private:
    // How a desktop delivers a key held down: one press, then a release and a press with one time stamp for
    // every repeat of the keyboard. Qt marks the repeats as such, except now and then in a busy program,
    // where it misses the pairing and hands on a plain release and press (flagged false).
    enum class Repeats
    {
        Flagged,
        Unflagged,
    };
    void holdEnter(QWidget* target = nullptr, Repeats repeats = Repeats::Flagged)
    {
        holdKey(Qt::Key_Return, target, repeats);
    }
    void holdKey(Qt::Key held, QWidget* target = nullptr, Repeats repeats = Repeats::Flagged)
    {
        const QString text = held == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
        auto send = [&](QEvent::Type type, bool repeat) {
            QWidget* to = target ? target : QApplication::focusWidget();
            QKeyEvent key(type, held, Qt::NoModifier, text, repeat);
            key.setTimestamp(keyboardTime);
            QApplication::sendEvent(to ? to : window.get(), &key);
        };
        keyboardTime += 500;
        send(QEvent::KeyPress, false);
        for (int repeat = 0; repeat < 12; ++repeat) {
            for (int n = 0; n < 4; ++n)
                desk->timer.fire();
            keyboardTime += 40;
            send(QEvent::KeyRelease, repeats == Repeats::Flagged);
            send(QEvent::KeyPress, repeats == Repeats::Flagged);
        }
        keyboardTime += 40;
        send(QEvent::KeyRelease, false);
        QApplication::processEvents();
    }

    void pressEnter()
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), Qt::Key_Return);
        QApplication::processEvents();
        // A desktop gives the activation back to the window when a message box closes; offscreen does not.
        if (!QApplication::activeWindow()) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
        }
    }

    void enterNames(CategoryPage* page, const QString& text)
    {
        QTest::mouseClick(page->enterCandidates, Qt::LeftButton);
        window->entryPanel()->textArea->setPlainText(text);
        QTest::mouseClick(window->entryPanel()->confirm, Qt::LeftButton);
    }

    std::unique_ptr<FakeDesktop> desk;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTimer> modalKeys;
    QStringList boxes;
    int exits = 0;
    quint64 keyboardTime = 1000; // milliseconds, as the desktop stamps key events
};

QTEST_MAIN(DrawKeysTest)
#include "test_draw_keys.moc"
