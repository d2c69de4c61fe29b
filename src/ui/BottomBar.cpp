#include "ui/BottomBar.h"

#include "ui/Fonts.h"
#include "ui/Placement.h"

#include <QPushButton>

namespace pelorin {

BottomBar::BottomBar(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Picture7"));
    setFrameShape(QFrame::StyledPanel);
    auto button = [this](const QString& name, const QString& caption, int left, int width) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAccessibleName(caption);
        b->setAutoDefault(true);
        ui::place(b, left, 120, width, 375);
        return b;
    };
    tasks = button(QStringLiteral("TaskAssignment"), QStringLiteral("检查任务分配"), 120, 1335);
    tasks->setToolTip(QStringLiteral("把抽中的检查人员分组，并把抽中的企业分配给各组（可设回避名单）"));
    // In the free room left of the export-all button, as wide as its neighbours on the right.
    drawRecord = button(QStringLiteral("SessionChange"), QStringLiteral("摇号记录"), 1560, 1455);
    drawRecord->setToolTip(QStringLiteral("保存本次摇号的记录文件和可打印、签字的记录单（PDF）"));
    exportAll = button(QStringLiteral("Command15"), QStringLiteral("一键导出（本轮所有的）摇号结果"), 3120, 3495);
    exportAll->setFont(fonts::song(9, true));
    templateDownload = button(QStringLiteral("Command16"), QStringLiteral("Excel模板下载"), 6720, 1455);
    updateDownload = button(QStringLiteral("Command19"), QStringLiteral("软件更新下载"), 8160, 1335);
    onlineEdition = button(QStringLiteral("Command25"), QStringLiteral("进入网络版"), 9480, 1215);
    exit = button(QStringLiteral("Command2"), QStringLiteral("退出"), 10920, 1335);
}

} // namespace pelorin
