#include "platform/qt/QtMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace pelorin {

IMessageBox::Answer QtMessageBox::show(const QString& text, const QString& title, Icon icon, Buttons buttons)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(icon == Icon::Information    ? QMessageBox::Information
                    : icon == Icon::Question ? QMessageBox::Question
                                             : QMessageBox::NoIcon);
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        yes->setAccessibleName(QStringLiteral("是"));
        no->setAccessibleName(QStringLiteral("否"));
        // Every question of the program moves, replaces or throws away something: a stray Enter says No.
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    ok->setAccessibleName(QStringLiteral("确定"));
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}

} // namespace pelorin
