#pragma once

#include "platform/IMessageBox.h"

class QWidget;

namespace pelorin {

// Modal QMessageBox with Chinese button captions.
class QtMessageBox : public IMessageBox
{
public:
    explicit QtMessageBox(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override;

private:
    QWidget* m_parent;
};

} // namespace pelorin
