#include "platform/qt/QtFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace pelorin {

namespace {

ChosenFile chosen(const QString& path)
{
    if (path.isEmpty())
        return {};
    // Native separators, so the path reads as the user's file manager shows it.
    const QString native = QDir::toNativeSeparators(path);
    return { native, QFileInfo(path).fileName() };
}

} // namespace

ChosenFile QtFileDialog::openFile(const QString& title, const QStringList& filters, const QString& folder)
{
    return chosen(QFileDialog::getOpenFileName(m_parent, title, folder, filters.join(QStringLiteral(";;"))));
}

ChosenFile QtFileDialog::saveFile(const QString& title, const QStringList& filters, const QString& suggestedPath)
{
    return chosen(QFileDialog::getSaveFileName(m_parent, title, suggestedPath, filters.join(QStringLiteral(";;"))));
}

} // namespace pelorin
