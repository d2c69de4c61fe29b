#pragma once

#include <QFrame>

class QPushButton;

namespace pelorin {

// The button bar along the bottom of the main window.
class BottomBar : public QFrame
{
    Q_OBJECT
public:
    explicit BottomBar(QWidget* parent = nullptr);

    QPushButton* tasks; // 检查任务分配
    QPushButton* drawRecord; // 摇号记录
    QPushButton* exportAll; // Command15
    QPushButton* templateDownload; // Command16
    QPushButton* updateDownload; // Command19
    QPushButton* onlineEdition; // Command25
    QPushButton* exit; // Command2
};

} // namespace pelorin
