#pragma once

#include "platform/IToggle.h"

#include <QAbstractButton>

namespace pelorin {

// A Qt check box behind the toggle interface.
class WidgetToggle : public IToggle
{
public:
    explicit WidgetToggle(QAbstractButton* button)
        : m_button(button)
    {
    }

    bool isChecked() const override { return m_button->isChecked(); }
    void setChecked(bool checked) override { m_button->setChecked(checked); }

private:
    QAbstractButton* m_button;
};

} // namespace pelorin
