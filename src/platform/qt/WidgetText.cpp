#include "platform/qt/WidgetText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace pelorin {

WidgetText WidgetText::of(QLabel* label)
{
    return WidgetText([label] { return label->text(); },
                      [label](const QString& text) {
                          label->setText(text);
                          label->setAccessibleName(text);
                      });
}

WidgetText WidgetText::of(QLineEdit* edit)
{
    return WidgetText([edit] { return edit->text(); },
                      [edit](const QString& text) {
                          edit->setText(text);
                          // Shown from its start: a name too long for the name box keeps its sector number in
                          // view, rather than only its tail.
                          edit->setCursorPosition(0);
                      });
}

WidgetText WidgetText::of(QAbstractButton* button)
{
    return WidgetText([button] { return button->text(); },
                      [button](const QString& text) {
                          button->setText(text);
                          button->setAccessibleName(text);
                      });
}

WidgetText WidgetText::of(QComboBox* combo)
{
    return WidgetText([combo] { return combo->currentText(); },
                      [combo](const QString& text) { combo->setEditText(text); });
}

WidgetText WidgetText::of(QPlainTextEdit* edit)
{
    return WidgetText(
        [edit] {
            // The document separates paragraphs with "\n" whatever line ends were typed or pasted.
            QString text = edit->toPlainText();
            text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
            return text;
        },
        [edit](const QString& text) { edit->setPlainText(text); });
}

} // namespace pelorin
