#include "platform/QtPlatformChoice.h"

#include <QtGlobal>

namespace pelorin {

// Without an X or Wayland display the options draw offscreen. Only a plain start needs a desktop.
void chooseQtPlatform(int argc)
{
    if (argc > 1 && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace pelorin
