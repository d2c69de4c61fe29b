#include "platform/qt/QtFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace pelorin {

namespace {

ChosenFile chosen(const QString& path, const QString& filter = QString())
{
    if (path.isEmpty())
        return {};
    // Native separators, so the path reads as the user's file manager shows it.
    const QString native = QDir::toNativeSeparators(path);
    return { native, QFileInfo(path).fileName(), filter };
}

} // namespace

ChosenFile QtFileDialog::openFile(const QString& title, const QStringList& filters, const QString& folder)
{
    return chosen(QFileDialog::getOpenFileName(m_parent, title, folder, filters.join(QStringLiteral(";;"))));
}

ChosenFile QtFileDialog::saveFile(const QString& title, const QStringList& filters, const QString& suggestedPath)
{
    QString filter = filters.value(0);
    const QString path
        = QFileDialog::getSaveFileName(m_parent, title, suggestedPath, filters.join(QStringLiteral(";;")), &filter);
    return chosen(path, filter);
}

} // namespace pelorin
