#pragma once

namespace pelorin {

// Chooses Qt's platform before the application is made. The options that need no screen (--help,
// --version, --screenshot, --demo: argc > 1) draw offscreen where the system has no desktop to draw on;
// what counts as one differs between the systems (platform/posix, platform/win).
void chooseQtPlatform(int argc);

} // namespace pelorin
