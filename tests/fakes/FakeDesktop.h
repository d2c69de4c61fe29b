#pragma once

#include "commands/Controls.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeTimer.h"
#include "fakes/ScriptedRandom.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedInputBox.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "platform/scripted/ScriptedShell.h"

namespace pelorin::test {

// Every outside service as a fake, for driving the real main window: MainWindow w(desk.services(), &desk.timer).
struct FakeDesktop
{
    ScriptedMessageBox messageBox;
    ScriptedInputBox inputBox;
    ScriptedFileDialog fileDialog;
    FakeClipboard clipboard;
    ScriptedShell shell;
    FakeClock clock;
    ScriptedRandom random;
    FakeTimer timer;

    Services services()
    {
        Services s;
        s.messageBox = &messageBox;
        s.inputBox = &inputBox;
        s.fileDialog = &fileDialog;
        s.clipboard = &clipboard;
        s.shell = &shell;
        s.clock = &clock;
        s.random = &random;
#ifdef PELORIN_SOURCE_DIR
        s.programFolder = QStringLiteral(PELORIN_SOURCE_DIR "/data"); // where the export templates are
#endif
        return s;
    }
};

} // namespace pelorin::test
