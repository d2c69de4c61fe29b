#pragma once

#include "app/AppState.h"
#include "app/CommandNotes.h"
#include "app/Controls.h"

namespace pelorin {

class ICommandRecorder;
class ISessionHistory;

// What every command works with: the shared state, the controls it reads and changes, the outside world.
struct AppContext
{
    AppState state;
    Controls controls;
    Services services;
    // Facts for the record of the command now running.
    CommandNotes notes;
    // The kept session, when there is one.
    ISessionHistory* history = nullptr;
    // Told where each command begins and ends, when the session is kept.
    ICommandRecorder* recorder = nullptr;

    CategoryControls& category(Category i) { return controls.categories.at(static_cast<std::size_t>(i)); }
};

} // namespace pelorin
