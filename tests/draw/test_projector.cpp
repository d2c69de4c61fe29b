#include "commands/AppContext.h"
#include "fakes/FakeTimer.h"
#include "fakes/MemoryPages.h"
#include "fakes/ScriptedRandom.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/Commands.h"
#include "ui/DrawWindowPanel.h"
#include "ui/MainWindow.h"
#include "ui/ProjectorControl.h"
#include "ui/ProjectorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

using namespace pelorin;
using namespace pelorin::test;

namespace {

QStringList numbered(int count)
{
    QStringList names;
    for (int k = 1; k <= count; ++k)
        names.append(QStringLiteral("江南市第%1建筑工程有限公司").arg(k));
    return names;
}

} // namespace

// The projector mirror and the slow stop through the real main window, the timer stepped by the test.
class ProjectorTest : public QObject
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
        AppContext& context() { return window->context(); }
        Session& session() { return window->session(); }
        DrawWindowPanel* draw() const { return window->drawWindow(); }
        ProjectorWindow* mirror() const { return window->projector()->window(); }
        void openDraw(int count, const QString& preset = QStringLiteral("3"))
        {
            SessionList(session(), 3, ListKind::Candidates).setItems(numbered(count));
            find<QLineEdit>(QStringLiteral("Text3_3"))->setText(preset);
            window->commands().draw.open(3);
        }
        void rollTo(int angle)
        {
            for (int n = 0; n < 400; ++n) {
                timer.fire();
                if (context().session->progress().pointerAngle() == angle)
                    return;
            }
            QFAIL("the pointer never got there");
        }
    };

private slots:
    void cleanup() { QFile::remove(qEnvironmentVariable("PELORIN_SETTINGS")); }

    void screenChoice_data()
    {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<int>("chosen");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1280, 720);
        QTest::newRow("one screen") << QList<QRect> { left } << QPoint(400, 300) << 0;
        QTest::newRow("operator on the first") << QList<QRect> { left, right } << QPoint(400, 300) << 1;
        QTest::newRow("operator on the second") << QList<QRect> { left, right } << QPoint(2000, 300) << 0;
        QTest::newRow("operator off every screen") << QList<QRect> { left, right } << QPoint(-500, -500) << 1;
        QTest::newRow("no screen") << QList<QRect> {} << QPoint(0, 0) << -1;
    }
    void screenChoice()
    {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, centre);
        QFETCH(int, chosen);
        QCOMPARE(ProjectorControl::screenFor(screens, centre), chosen);
    }

    // The two new controls overlap no other control and stay clear of the wheel and its numbers.
    void newControlsOverlapNothing()
    {
        Window w;
        w.openDraw(12);
        const QList<QWidget*> children = w.draw()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        const QPointF centre(w.context().state.WheelCenterX, w.context().state.WheelCenterY);
        const double reach = w.context().state.WheelRadius / 15 + 25; // rim plus the numbers
        for (QWidget* mine :
             { static_cast<QWidget*>(w.draw()->slowStop), static_cast<QWidget*>(w.draw()->projector) }) {
            QVERIFY(mine->isVisible());
            for (QWidget* other : children) {
                if (other == mine || other->objectName() == QLatin1String("WheelView"))
                    continue;
                QVERIFY2(!mine->geometry().intersects(other->geometry()), qPrintable(other->objectName()));
            }
            const QRect r = mine->geometry();
            for (QPoint corner : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
                QVERIFY(std::hypot(corner.x() - centre.x(), corner.y() - centre.y()) > reach);
            QVERIFY(mine->sizeHint().width() <= r.width() + 2);
        }
    }

    // One screen: the mirror covers the operator's window, so it takes the keys; it never changes the draw.
    void mirrorOnOneScreen()
    {
        Window w;
        w.openDraw(12);
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.rollTo(90);
        const QStringList candidates = SessionList(w.session(), 3, ListKind::Candidates).items();
        QTest::mouseClick(w.draw()->projector, Qt::LeftButton);
        ProjectorWindow* mirror = w.mirror();
        QVERIFY(mirror);
        QVERIFY(mirror->isVisible());
        QCOMPARE(mirror->windowTitle(), QStringLiteral("Pelorin 大屏"));
        QVERIFY(mirror->isFullScreen());
        QCOMPARE(SessionList(w.session(), 3, ListKind::Candidates).items(), candidates);
        QVERIFY(w.context().session->progress().isRolling());
        QCOMPARE(w.context().session->progress().pointerAngle(), 90);

        // A tick changes the pointer, so the mirror repaints the pointer's old and new places.
        w.timer.fire();
        const QRegion dirty = mirror->lastScheduled();
        QVERIFY(!dirty.isEmpty());
        QVERIFY(dirty.boundingRect().width() < mirror->width());

        QTest::keyClick(mirror, Qt::Key_Return);
        QVERIFY(!w.context().session->progress().isRolling());
        QCOMPARE(SessionList(w.session(), 3, ListKind::Results).count(), 1);
        QTest::keyClick(mirror, Qt::Key_Return);
        QVERIFY(w.context().session->progress().isRolling());

        QTest::keyClick(mirror, Qt::Key_Escape);
        QVERIFY(!w.mirror() || !w.mirror()->isVisible());
        QVERIFY(w.draw()->isVisible());
        QVERIFY(w.context().session->progress().isRolling());
        QCOMPARE(SessionList(w.session(), 3, ListKind::Results).count(), 1);
    }

    void f11TogglesTheMirror()
    {
        Window w;
        w.openDraw(12);
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        QTest::keyClick(w.window.get(), Qt::Key_F11);
        QVERIFY(w.mirror() && w.mirror()->isVisible());
        QTest::mouseClick(w.draw()->projector, Qt::LeftButton);
        QVERIFY(!w.mirror() || !w.mirror()->isVisible());
    }

    void mirrorNumbersWhereTheyFit()
    {
        Window w;
        w.openDraw(12);
        w.window->projector()->open();
        ProjectorWindow* mirror = w.mirror();
        mirror->showNormal();
        mirror->resize(1920, 1080);
        const int big = mirror->numberedUpTo();
        mirror->resize(1280, 720);
        const int small = mirror->numberedUpTo();
        qInfo("sector numbers drawn up to %d sectors at 1920x1080, %d at 1280x720", big, small);
        QVERIFY(big >= 120);
        QVERIFY(small >= 100);
        QVERIFY(big < 2000);
    }

    // With the option ticked, Enter starts the run-out; the name is taken where the pointer rests.
    void slowStopThroughTheWindow()
    {
        Window w;
        QCheckBox* option = w.draw()->slowStop;
        QVERIFY(!option->isChecked());
        option->setChecked(true);
        w.openDraw(12);
        auto* startStop = w.find<QPushButton>(QStringLiteral("Command1"));
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.rollTo(60);
        w.random.picks.enqueue(360 * 12 + 2 * 360); // a lap and two sectors further: sector 4
        QTest::keyClick(startStop, Qt::Key_Return);
        QCOMPARE(startStop->text(), QStringLiteral("停止中…"));
        QTest::keyClick(startStop, Qt::Key_Return);
        QCOMPARE(SessionList(w.session(), 3, ListKind::Results).count(), 0);
        for (int n = 0; n < 1000 && w.context().session->progress().isRolling(); ++n)
            w.timer.fire();
        QVERIFY(!w.context().session->progress().isRolling());
        QCOMPARE(w.find<QLineEdit>(QStringLiteral("Text1"))->text(), QStringLiteral("04_") + numbered(12)[3]);
        QCOMPARE(SessionList(w.session(), 3, ListKind::Results).items(), QStringList { numbered(12)[3] });
        QCOMPARE(startStop->text(), QStringLiteral("开始摇号"));

        // Kept for the next run.
        Window again;
        QVERIFY(again.draw()->slowStop->isChecked());
        again.draw()->slowStop->setChecked(false);
        Window third;
        QVERIFY(!third.draw()->slowStop->isChecked());
    }

    void screenshots_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("count");
        for (QSize size : { QSize(1920, 1080), QSize(1280, 720) })
            for (int count : { 12, 120, 2000 })
                QTest::addRow("%dx%d-%d", size.width(), size.height(), count) << size << count;
    }
    void screenshots()
    {
        // Pictures of the mirror for looking at by eye, rolling and stopped; kept beside the build.
        QFETCH(QSize, size);
        QFETCH(int, count);
        Window w;
        w.openDraw(count, QStringLiteral("5"));
        w.rollTo(135);
        w.window->projector()->open();
        ProjectorWindow* mirror = w.mirror();
        mirror->showNormal();
        mirror->resize(size);
        mirror->sync();
        const QString folder = QStringLiteral(PELORIN_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        const QString stem
            = QStringLiteral("%1/projector-%2x%3-%4").arg(folder).arg(size.width()).arg(size.height()).arg(count);
        QVERIFY(mirror->grab().save(stem + QStringLiteral("-rolling.png")));
        w.window->commands().draw.startStop();
        w.window->commands().draw.startStop();
        w.rollTo(255);
        w.window->commands().draw.startStop();
        mirror->sync();
        QVERIFY(mirror->grab().save(stem + QStringLiteral("-stopped.png")));
    }
};

QTEST_MAIN(ProjectorTest)
#include "test_projector.moc"
