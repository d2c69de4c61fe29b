#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

struct ChosenFile
{
    QString path; // full path, empty when the dialog was cancelled
    QString fileName; // bare name without folder
    QString filter; // the filter selected when the dialog closed, empty when unknown
};

class IFileDialog
{
public:
    virtual ~IFileDialog() = default;

    // Lets the user pick an existing file. filters are "描述(*.a *.b)" entries, first one selected.
    virtual ChosenFile openFile(const QString& title, const QStringList& filters, const QString& folder) = 0;
    // Lets the user pick a file name to save under, starting with suggestedPath; a file that exists is
    // replaced only after the user said Yes to replacing it.
    virtual ChosenFile saveFile(const QString& title, const QStringList& filters, const QString& suggestedPath) = 0;
};

} // namespace pelorin
