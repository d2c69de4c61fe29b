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
    if (buttons == Buttons::NoticeOrContinue) {
        QPushButton* notice = box.addButton(QStringLiteral("摇号前公告"), QMessageBox::ActionRole);
        notice->setAccessibleName(QStringLiteral("摇号前公告"));
        notice->setAccessibleDescription(QStringLiteral("打印承诺值的公告，供见证人签字"));
        QPushButton* projector = box.addButton(QStringLiteral("大屏显示"), QMessageBox::ActionRole);
        projector->setAccessibleName(QStringLiteral("大屏显示"));
        projector->setAccessibleDescription(QStringLiteral("打开或关闭投影屏幕上的大屏，让全场看到承诺值"));
        QPushButton* go = box.addButton(QStringLiteral("继续"), QMessageBox::AcceptRole);
        go->setAccessibleName(QStringLiteral("继续"));
        box.setDefaultButton(go);
        box.setEscapeButton(go);
        box.exec();
        return box.clickedButton() == notice ? Answer::Yes : box.clickedButton() == projector ? Answer::No : Answer::Ok;
    }
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    ok->setAccessibleName(QStringLiteral("确定"));
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}

} // namespace pelorin
