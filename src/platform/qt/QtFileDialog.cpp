#include "platform/qt/QtFileDialog.h"

#include "platform/AppText.h"
#include "platform/qt/QtMessageBox.h"

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
    QString offered = suggestedPath;
    // The question about replacing a file is the program's own, with the buttons of every other question;
    // No goes back to the dialog.
    for (;;) {
        const QString path = QFileDialog::getSaveFileName(m_parent, title, offered, filters.join(QStringLiteral(";;")),
                                                          &filter, QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty() || !QFileInfo::exists(path))
            return chosen(path, filter);
        if (QtMessageBox(m_parent).question(QStringLiteral("文件已存在，是否覆盖？\n") + QDir::toNativeSeparators(path),
                                            text::windowCaption()))
            return chosen(path, filter);
        offered = path;
    }
}

} // namespace pelorin
