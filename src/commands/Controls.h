#pragma once

#include "model/Categories.h"

#include <QString>
#include <functional>

namespace pelorin {

class INameList;
class ITextControl;
class IEntryPanel;
class IDrawWindow;
class IDrawingSurface;
class ITimer;
class IToggle;
class IMessageBox;
class IInputBox;
class IFileDialog;
class IClipboard;
class IShell;
class IClock;
class IRandom;
class ISeedSource;
class ISettingsStore;
class ISpreadsheet;
class ISheetPrinter;

// The draw window and what lies behind it.
struct DrawWindowControls
{
    IDrawWindow* window = nullptr; // Picture1 over Picture6 as backdrop
    ITextControl* presetBox = nullptr; // Text7(0)
    ITextControl* drawnBox = nullptr; // Text7(1)
    ITextControl* nameBox = nullptr; // Text1
    ITextControl* startStop = nullptr; // Command1 caption
    ITextControl* speedBox = nullptr; // Combo1
    INameList* currentDraw = nullptr; // List2
    ITextControl* recordCode = nullptr; // the draw record's latest line, as the room is shown it
    ITextControl* ceremony = nullptr; // the steps of a 见证摇号 so far; empty when there is none
    IDrawingSurface* surface = nullptr;
    ITimer* timer = nullptr; // Timer1
    IToggle* slowStop = nullptr; // 随机缓停; none means off
    IToggle* witnessed = nullptr; // 见证摇号; none means off
    std::function<void()> focusStartStop;
    std::function<void()> toggleProjector; // 大屏显示
    // Gives the keyboard focus to a control of the category's page once the draw window has closed, so
    // that no key reaches the hidden start/stop button.
    std::function<void(Category)> focusPage;
    // Enables or disables every tab page and bottom-bar control.
    std::function<void(bool)> setBackgroundEnabled;
};

// The outside world, as seen by the commands.
struct Services
{
    IMessageBox* messageBox = nullptr;
    IInputBox* inputBox = nullptr;
    IFileDialog* fileDialog = nullptr;
    IClipboard* clipboard = nullptr;
    IShell* shell = nullptr;
    IClock* clock = nullptr;
    IRandom* random = nullptr; // secure picks (the slow stop's further turn)
    ISeedSource* seeds = nullptr; // the seed of every shuffle; none: shuffles take their picks from random
    ISettingsStore* settings = nullptr;
    ISpreadsheet* spreadsheet = nullptr;
    ISheetPrinter* printer = nullptr; // the record sheet
    QString programFolder; // folder of the executable; templates and default import folder
};

struct Controls
{
    DrawWindowControls draw;
    IEntryPanel* entry = nullptr; // Picture6 with its controls
};

} // namespace pelorin
