#pragma once

#include "platform/IFileDialog.h"

#include <QFileInfo>
#include <QList>
#include <QQueue>

namespace pelorin {

// Returns queued choices (cancel when empty) and records each dialog's title, filters and folder.
class ScriptedFileDialog : public IFileDialog
{
public:
    struct Opened
    {
        QString title;
        QStringList filters;
        QString folder;
        bool save = false;
    };

    ChosenFile openFile(const QString& title, const QStringList& filters, const QString& folder) override
    {
        opened.append({ title, filters, folder, false });
        return choices.isEmpty() ? ChosenFile {} : choices.dequeue();
    }
    ChosenFile saveFile(const QString& title, const QStringList& filters, const QString& suggestedPath) override
    {
        opened.append({ title, filters, suggestedPath, true });
        return choices.isEmpty() ? ChosenFile {} : choices.dequeue();
    }

    void chooseNext(const QString& path) { choices.enqueue({ path, QFileInfo(path).fileName(), {} }); }
    // For paths written in another platform's form, whose bare name QFileInfo would not find.
    void chooseNext(const QString& path, const QString& fileName) { choices.enqueue({ path, fileName, {} }); }

    QList<Opened> opened;
    QQueue<ChosenFile> choices;
};

} // namespace pelorin
