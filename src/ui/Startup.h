#pragma once

namespace pelorin {

// Parses the command line, sets up fonts and translations, shows the main window and runs the event loop.
int runApplication(int argc, char* argv[]);

} // namespace pelorin
