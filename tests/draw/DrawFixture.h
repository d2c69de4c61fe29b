#pragma once

#include "commands/AppContext.h"
#include "draw/DrawWindowController.h"
#include "fakes/FakeTimer.h"
#include "fakes/MemoryControls.h"
#include "fakes/MemoryPages.h"
#include "fakes/RecordingSurface.h"
#include "fakes/ScriptedRandom.h"
#include "platform/scripted/ScriptedMessageBox.h"

#include <QList>
#include <QStringList>
#include <array>
#include <initializer_list>

namespace pelorin::test {

// A list of names written as plain literals.
inline QStringList names(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

// The category pages and the draw window in memory, wired as the main window wires the real ones.
// With no scripted picks the shuffle keeps the list's order, so sector k holds the k-th name.
struct DrawFixture
{
    using Page = MemoryPage;

    DrawFixture()
    {
        DrawWindowControls& d = context.controls.draw;
        d.window = &window;
        d.presetBox = &presetBox;
        d.drawnBox = &drawnBox;
        d.nameBox = &nameBox;
        d.startStop = &startStop;
        d.speedBox = &speedBox;
        d.currentDraw = &currentDraw;
        d.surface = &surface;
        d.timer = &timer;
        d.focusStartStop = [this] {
            log.append(context.session->progress().isRolling() ? QStringLiteral("focus(rolling)")
                                                               : QStringLiteral("focus"));
        };
        d.focusPage = [this](Category i) { log.append(QStringLiteral("focus page %1").arg(i)); };
        d.setBackgroundEnabled = [this](bool on) { log.append(on ? QStringLiteral("bg+") : QStringLiteral("bg-")); };
        context.services.messageBox = &messages;
        context.services.random = &random;
        QObject::connect(&pages.session, &Session::changed,
                         [this](const SessionChange& change) { lastNotes = change.details; });
    }

    Page& page(int i) { return pages[i]; }

    // Fills category i with the names "c1" .. "cN".
    void fill(int i, int count)
    {
        QStringList names;
        for (int k = 1; k <= count; ++k)
            names.append(QStringLiteral("c%1").arg(k));
        page(i).candidates.setItems(names);
        page(i).candidateCounter.setText(QString::number(count));
    }

    // Ticks until the pointer stands at angle; false when it does not get there within one lap.
    bool rollTo(int angle)
    {
        for (int n = 0; n < 400; ++n) {
            timer.fire();
            if (context.session->progress().pointerAngle() == angle)
                return true;
        }
        return false;
    }

    // One whole draw: turn to the angle, then press the start/stop button.
    void drawAt(int angle)
    {
        rollTo(angle);
        controller.startStop();
    }

    QStringList log;
    MemoryDrawWindow window { &log };
    MemoryTextControl presetBox;
    MemoryTextControl drawnBox;
    MemoryTextControl nameBox;
    MemoryTextControl startStop { QStringLiteral("开始摇号") };
    MemoryTextControl speedBox { QStringLiteral("15") };
    MemoryNameList currentDraw;
    RecordingSurface surface;
    FakeTimer timer;

    ScriptedMessageBox messages;
    ScriptedRandom random;
    AppContext context;
    MemoryPages pages { context };
    DrawWindowController controller { context };
    // The facts of the last command the session announced.
    QJsonObject lastNotes;
};

} // namespace pelorin::test
