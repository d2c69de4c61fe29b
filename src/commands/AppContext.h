#pragma once

#include "commands/AppState.h"
#include "commands/Controls.h"

namespace pelorin {

class ISessionHistory;
class Session;

// What every command works with: the session, the draw's state, the controls it reads and changes, the
// outside world.
struct AppContext
{
    Session* session = nullptr;
    AppState state;
    Controls controls;
    Services services;
    // The kept session, when there is one.
    ISessionHistory* history = nullptr;
};

} // namespace pelorin
