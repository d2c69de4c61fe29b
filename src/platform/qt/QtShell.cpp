#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace pelorin {

namespace {

// False when the desktop names no program for the file's type. The desktop's opener starts without
// waiting for the program and reports success even when it finds none, so it is asked beforehand.
bool desktopHasProgramFor(const QString& path)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true; // no way to ask; the opener decides
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess process;
    process.start(query, { QStringLiteral("query"), QStringLiteral("default"), type });
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit)
        return true;
    return !process.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool QtShell::open(const QString& target)
{
    const bool isAddress = target.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || target.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (isAddress)
        return QDesktopServices::openUrl(QUrl(target));
    const QString path = QFileInfo(target).absoluteFilePath();
    if (!desktopHasProgramFor(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace pelorin
