#include "platform/QtPlatformChoice.h"

#include <QDir>
#include <QtGlobal>

namespace pelorin {

// A Windows session always has a desktop, and Qt's windows platform draws the pictures of --screenshot
// and --demo without showing a window, with the system's fonts: it is kept. Where offscreen is asked for
// all the same, its font database (FreeType) would find no font at all and draw every character as a
// box: it is pointed at the system's Fonts folder.
void chooseQtPlatform(int)
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"))
        && qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
        const QString windows = qEnvironmentVariable("WINDIR", QStringLiteral("C:\\Windows"));
        qputenv("QT_QPA_FONTDIR", QDir(windows).filePath(QStringLiteral("Fonts")).toLocal8Bit());
    }
}

} // namespace pelorin
