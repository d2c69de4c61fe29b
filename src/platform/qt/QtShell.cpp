#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace pelorin {

void QtShell::open(const QString& target)
{
    const bool isAddress = target.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || target.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    QDesktopServices::openUrl(isAddress ? QUrl(target) : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

} // namespace pelorin
