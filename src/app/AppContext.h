#pragma once

#include "app/AppState.h"
#include "app/Controls.h"

namespace pelorin {

// What every command works with: the shared state, the controls it reads and changes, the outside world.
struct AppContext
{
    AppState state;
    Controls controls;
    Services services;

    CategoryControls& category(Category i) { return controls.categories.at(static_cast<std::size_t>(i)); }
};

} // namespace pelorin
