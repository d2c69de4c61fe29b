#include "platform/qt/QtInputBox.h"

#include <QInputDialog>

namespace pelorin {

std::optional<QString> QtInputBox::ask(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace pelorin
