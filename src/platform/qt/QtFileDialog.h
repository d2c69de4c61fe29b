#pragma once

#include "platform/IFileDialog.h"

class QWidget;

namespace pelorin {

class QtFileDialog : public IFileDialog
{
public:
    explicit QtFileDialog(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    ChosenFile openFile(const QString& title, const QStringList& filters, const QString& folder) override;
    ChosenFile saveFile(const QString& title, const QStringList& filters, const QString& suggestedPath) override;

private:
    QWidget* m_parent;
};

} // namespace pelorin
