#pragma once

#include "platform/IInputBox.h"

class QWidget;

namespace pelorin {

class QtInputBox : public IInputBox
{
public:
    explicit QtInputBox(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    std::optional<QString> ask(const QString& prompt, const QString& title, const QString& defaultText) override;

private:
    QWidget* m_parent;
};

} // namespace pelorin
