#pragma once

#include "platform/ITextControl.h"

#include <functional>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace pelorin {

// The text of a Qt widget, read and written through two functions.
class WidgetText : public ITextControl
{
public:
    WidgetText(std::function<QString()> get, std::function<void(const QString&)> set)
        : m_get(std::move(get))
        , m_set(std::move(set))
    {
    }

    QString text() const override { return m_get(); }
    void setText(const QString& text) override { m_set(text); }

    static WidgetText of(QLabel* label);
    static WidgetText of(QLineEdit* edit);
    static WidgetText of(QAbstractButton* button);
    static WidgetText of(QComboBox* combo);
    // Paragraph breaks read as CR LF, so one name per line survives whatever line ends were pasted.
    static WidgetText of(QPlainTextEdit* edit);

private:
    std::function<QString()> m_get;
    std::function<void(const QString&)> m_set;
};

} // namespace pelorin
