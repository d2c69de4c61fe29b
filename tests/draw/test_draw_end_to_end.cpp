#include "commands/AppContext.h"
#include "fakes/FakeTimer.h"
#include "fakes/MemoryPages.h"
#include "fakes/ScriptedRandom.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/Commands.h"
#include "ui/MainWindow.h"

#include "ui/NameListView.h"
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QStringList numbered(int count)
{
    QStringList names;
    for (int k = 1; k <= count; ++k)
        names.append(QStringLiteral("单位%1").arg(k));
    return names;
}

} // namespace

// The real main window driven through its widgets, with the roll timer stepped by the test.
class DrawEndToEndTest : public QObject
{
    Q_OBJECT

    struct Window
    {
        ScriptedMessageBox messages;
        ScriptedRandom random;
        FakeTimer timer;
        std::unique_ptr<MainWindow> window;

        Window()
        {
            Services services;
            services.messageBox = &messages;
            services.random = &random;
            window = std::make_unique<MainWindow>(services, &timer);
            window->setExitHandler([] {});
            window->show();
        }
        template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
        QWidget* drawWindow() const { return find<QWidget>(QStringLiteral("Picture1")); }
        AppContext& context() { return window->context(); }
        Session& session() { return window->session(); }
        // Ticks until the pointer stands at angle.
        void rollTo(int angle)
        {
            for (int n = 0; n < 400; ++n) {
                timer.fire();
                if (context().session->progress().pointerAngle() == angle)
                    return;
            }
            QFAIL("the pointer never got there");
        }
        void pressEnter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
    };

private slots:
    void wholeDrawByEnterAlone()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        SessionList(w.session(), 3, ListKind::Candidates).setItems(numbered(5));
        auto* preset = w.find<QLineEdit>(QStringLiteral("Text3_3"));
        QVERIFY(preset);
        preset->setText(QStringLiteral("2"));
        preset->setFocus();
        w.pressEnter();

        auto* startStop = w.find<QPushButton>(QStringLiteral("Command1"));
        QVERIFY(w.drawWindow()->isVisible());
        QCOMPARE(w.drawWindow()->width(), 691);
        QCOMPARE(QApplication::focusWidget(), startStop);
        QCOMPARE(startStop->text(), QStringLiteral("停止"));
        QVERIFY(w.timer.isEnabled());
        QVERIFY(!w.window->inspectorTabs()->isEnabled());

        w.rollTo(360);
        QCOMPARE(w.find<QLineEdit>(QStringLiteral("Text1"))->text(), QStringLiteral("5_单位5"));
        w.pressEnter();
        QCOMPARE(startStop->text(), QStringLiteral("开始摇号"));
        QCOMPARE(w.find<QListWidget>(QStringLiteral("List2"))->count(), 1);
        QCOMPARE(w.find<QLineEdit>(QStringLiteral("Text6_3"))->text(), QStringLiteral("1"));

        w.pressEnter(); // start again
        QVERIFY(w.timer.isEnabled());
        w.rollTo(90);
        w.pressEnter();
        QCOMPARE(w.messages.texts(), QStringList { QStringLiteral("预设定摇取个数已摇完毕。") });
        QVERIFY(!w.drawWindow()->isVisible());
        QVERIFY(w.window->inspectorTabs()->isEnabled());
        QCOMPARE(SessionList(w.session(), 3, ListKind::Results).items(),
                 (QStringList { QStringLiteral("单位5"), QStringLiteral("单位1") }));
        QCOMPARE(w.find<QLabel>(QStringLiteral("Label2_3"))->text(), QStringLiteral("3"));
    }

    void closeWhileRolling()
    {
        Window w;
        SessionList(w.session(), 6, ListKind::Candidates).setItems(numbered(12));
        QTest::mouseClick(w.find<QWidget>(QStringLiteral("Picture5_6")), Qt::LeftButton);
        QVERIFY(w.drawWindow()->isVisible());
        w.rollTo(180);
        QTest::mouseClick(w.find<QPushButton>(QStringLiteral("Command14")), Qt::LeftButton);
        QVERIFY(!w.drawWindow()->isVisible());
        QVERIFY(!w.timer.isEnabled());
        QCOMPARE(w.find<QPushButton>(QStringLiteral("Command1"))->text(), QStringLiteral("开始摇号"));
        QCOMPARE(SessionList(w.session(), 6, ListKind::Candidates).count(), 12);
        QVERIFY(SessionList(w.session(), 6, ListKind::Results).items().isEmpty());
        QCOMPARE(w.drawWindow()->width(), 467);
    }

    void screenshots_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("12") << 12;
        QTest::newRow("120") << 120;
    }
    void screenshots()
    {
        // Pictures of the draw window for looking at by eye; they are kept beside the build.
        QFETCH(int, count);
        Window w;
        SessionList(w.session(), 3, ListKind::Candidates).setItems(numbered(count));
        w.find<QLineEdit>(QStringLiteral("Text3_3"))->setText(QStringLiteral("3"));
        w.window->commands().draw.open(3);
        w.rollTo(135);
        const QString folder = QStringLiteral(PELORIN_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        QVERIFY(w.window->grab().save(QStringLiteral("%1/draw_%2_rolling.png").arg(folder).arg(count)));
        // The right-hand rim three times as large, where the numbers stand on their spokes.
        const QImage wheel = w.find<QWidget>(QStringLiteral("WheelView"))->grab().toImage();
        QVERIFY(wheel.copy(QRect(300, 40, 210, 360))
                    .scaled(630, 1080)
                    .save(QStringLiteral("%1/draw_%2_rim.png").arg(folder).arg(count)));
        w.window->commands().draw.startStop();
        QVERIFY(w.window->grab().save(QStringLiteral("%1/draw_%2_stopped.png").arg(folder).arg(count)));
    }
};

QTEST_MAIN(DrawEndToEndTest)
#include "test_draw_end_to_end.moc"
