#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace pelorin {

class Session;
class TaskCommands;

// 检查任务分配: the settings, the enterprises' categories and the 回避 list the user gives, and the last
// assignment of the session as its task table. Every button hands its work to the task commands.
class TaskWindow : public QWidget
{
    Q_OBJECT
public:
    TaskWindow(TaskCommands& tasks, const Session& session, QWidget* parent = nullptr);

    QSpinBox* membersPerGroup;
    QCheckBox* withDeputy;
    QRadioButton* even;
    QRadioButton* perGroup;
    QSpinBox* enterprisesPerGroup;
    QList<QCheckBox*> categories; // 重点企业, 一般企业, 其它企业, 摇号名单
    QPushButton* importAvoidances;
    QPushButton* clearAvoidances;
    QLabel* importedAvoidances;
    QPlainTextEdit* typedAvoidances;
    QPushButton* assign;
    QPushButton* copy;
    QPushButton* exportTable;
    QLabel* seed;
    QTableWidget* table;
    QListWidget* unmatched;

    // Shows the imported 回避 list and the session's last assignment as they stand.
    void refresh();

private:
    void onAssign();

    TaskCommands& m_tasks;
    const Session& m_session;
};

} // namespace pelorin
