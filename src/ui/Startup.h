#pragma once

#include "commands/Controls.h"

#include <functional>

namespace pelorin {

class MainWindow;

// What a program driven from outside puts in place of the person at the desk.
struct DrivenBy
{
    Services services; // dialogs that answer by script; empty ones are the desktop's
    std::function<bool(const QString&)> answerRestore; // the restore question; none: asked on the desktop
    std::function<void(MainWindow&)> ready; // called once the window shows and any restore is done
};

// Parses the command line, sets up fonts and translations, shows the main window and runs the event loop.
int runApplication(int argc, char* argv[], const DrivenBy& drivenBy = {});

} // namespace pelorin
