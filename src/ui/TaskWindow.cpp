#include "ui/TaskWindow.h"

#include "model/Session.h"
#include "tasks/TaskCommands.h"
#include "ui/Fonts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace pelorin {

namespace {

template <typename W> W* named(W* widget, const QString& objectName, const QString& accessibleName)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
    return widget;
}

QPushButton* button(const QString& objectName, const QString& caption)
{
    return named(new QPushButton(caption), objectName, caption);
}

} // namespace

TaskWindow::TaskWindow(TaskCommands& tasks, const Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_tasks(tasks)
    , m_session(session)
{
    setObjectName(QStringLiteral("TaskWindow"));
    setWindowTitle(QStringLiteral("检查任务分配"));
    setAccessibleName(QStringLiteral("检查任务分配窗口"));
    setFont(fonts::song(10));

    auto* groups = named(new QGroupBox(QStringLiteral("分组")), QStringLiteral("Groups"), QStringLiteral("分组设置"));
    membersPerGroup = named(new QSpinBox, QStringLiteral("MembersPerGroup"), QStringLiteral("每组成员人数"));
    membersPerGroup->setRange(1, 99);
    withDeputy = named(new QCheckBox(QStringLiteral("每组设副组长")), QStringLiteral("WithDeputy"),
                       QStringLiteral("每组设副组长"));
    even = named(new QRadioButton(QStringLiteral("企业尽量平均分给各组")), QStringLiteral("Even"),
                 QStringLiteral("企业尽量平均分给各组"));
    even->setChecked(true);
    perGroup = named(new QRadioButton(QStringLiteral("每组固定分")), QStringLiteral("PerGroup"),
                     QStringLiteral("每组固定分配企业数"));
    enterprisesPerGroup
        = named(new QSpinBox, QStringLiteral("EnterprisesPerGroup"), QStringLiteral("每组分配的企业数"));
    enterprisesPerGroup->setRange(1, 9999);
    enterprisesPerGroup->setSuffix(QStringLiteral(" 家企业"));
    auto* groupsLayout = new QGridLayout(groups);
    groupsLayout->addWidget(new QLabel(QStringLiteral("每组成员：")), 0, 0);
    groupsLayout->addWidget(membersPerGroup, 0, 1);
    groupsLayout->addWidget(withDeputy, 0, 2);
    groupsLayout->addWidget(even, 1, 0, 1, 3);
    groupsLayout->addWidget(perGroup, 2, 0);
    groupsLayout->addWidget(enterprisesPerGroup, 2, 1);

    auto* enterprises = named(new QGroupBox(QStringLiteral("检查的企业")), QStringLiteral("Enterprises"),
                              QStringLiteral("检查的企业来自"));
    auto* enterprisesLayout = new QVBoxLayout(enterprises);
    for (Category c = 3; c <= 6; ++c) {
        auto* box = named(new QCheckBox(categoryName(c)), QStringLiteral("Category%1").arg(c),
                          QStringLiteral("检查%1").arg(categoryName(c)));
        box->setChecked(c == 3);
        categories.append(box);
        enterprisesLayout->addWidget(box);
    }

    auto* avoid
        = named(new QGroupBox(QStringLiteral("回避名单")), QStringLiteral("Avoidances"), QStringLiteral("回避名单"));
    importAvoidances = button(QStringLiteral("ImportAvoidances"), QStringLiteral("导入回避名单"));
    clearAvoidances = button(QStringLiteral("ClearAvoidances"), QStringLiteral("清除导入的名单"));
    importedAvoidances = named(new QLabel, QStringLiteral("ImportedAvoidances"), QStringLiteral("导入的回避名单"));
    typedAvoidances = named(new QPlainTextEdit, QStringLiteral("TypedAvoidances"),
                            QStringLiteral("输入回避名单，每行一对：检查人员，企业"));
    typedAvoidances->setPlaceholderText(QStringLiteral("每行一对：检查人员，企业（用逗号、顿号或制表符隔开）"));
    typedAvoidances->setTabChangesFocus(false);
    auto* avoidLayout = new QGridLayout(avoid);
    avoidLayout->addWidget(importAvoidances, 0, 0);
    avoidLayout->addWidget(clearAvoidances, 0, 1);
    avoidLayout->addWidget(importedAvoidances, 1, 0, 1, 2);
    avoidLayout->addWidget(typedAvoidances, 2, 0, 1, 2);

    assign = button(QStringLiteral("Assign"), QStringLiteral("分配"));
    copy = button(QStringLiteral("CopyTasks"), QStringLiteral("复制"));
    exportTable = button(QStringLiteral("ExportTasks"), QStringLiteral("导出"));
    seed = named(new QLabel, QStringLiteral("Seed"), QStringLiteral("分配所用的随机种子"));
    seed->setTextInteractionFlags(Qt::TextSelectableByMouse);
    seed->setWordWrap(true);
    table = named(new QTableWidget(0, 5), QStringLiteral("TaskTable"), QStringLiteral("检查任务分配表"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(true);
    unmatched = named(new QListWidget, QStringLiteral("Unmatched"), QStringLiteral("未匹配到抽中人员或企业的回避名单"));
    unmatched->setMaximumHeight(90);

    auto* inputs = new QHBoxLayout;
    inputs->addWidget(groups);
    inputs->addWidget(enterprises);
    inputs->addWidget(avoid, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(assign);
    actions->addWidget(copy);
    actions->addWidget(exportTable);
    actions->addWidget(seed, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addLayout(actions);
    layout->addWidget(table, 1);
    layout->addWidget(named(new QLabel(QStringLiteral("未匹配的回避名单（名字与抽中的人员或企业都对不上）：")),
                            QStringLiteral("UnmatchedHeading"), QStringLiteral("未匹配的回避名单")));
    layout->addWidget(unmatched);
    resize(900, 640);

    connect(importAvoidances, &QPushButton::clicked, this, [this] {
        m_tasks.importAvoidances();
        refresh();
    });
    connect(clearAvoidances, &QPushButton::clicked, this, [this] {
        m_tasks.clearAvoidances();
        refresh();
    });
    connect(assign, &QPushButton::clicked, this, &TaskWindow::onAssign);
    connect(copy, &QPushButton::clicked, this, [this] { m_tasks.copyTasks(); });
    connect(exportTable, &QPushButton::clicked, this, [this] { m_tasks.exportTasks(); });
    connect(&session, &Session::restored, this, &TaskWindow::refresh);
    refresh();
}

void TaskWindow::onAssign()
{
    TaskSettings settings;
    settings.membersPerGroup = membersPerGroup->value();
    settings.withDeputy = withDeputy->isChecked();
    settings.shareOut = perGroup->isChecked() ? TaskSettings::ShareOut::PerGroup : TaskSettings::ShareOut::Even;
    settings.enterprisesPerGroup = enterprisesPerGroup->value();
    QList<Category> ticked;
    for (int i = 0; i < categories.size(); ++i)
        if (categories.at(i)->isChecked())
            ticked.append(Category(3 + i));
    m_tasks.assignWith(settings, ticked, typedAvoidances->toPlainText());
    refresh();
}

void TaskWindow::refresh()
{
    const AvoidanceList& imported = m_tasks.importedAvoidances();
    importedAvoidances->setText(
        imported.fileName.isEmpty()
            ? QStringLiteral("尚未导入回避名单")
            : QStringLiteral("已导入：%1（%2对）").arg(imported.fileName).arg(imported.pairs.size()));
    clearAvoidances->setEnabled(!imported.fileName.isEmpty());

    const std::optional<KeptAssignment>& kept = m_session.lastAssignment();
    const QList<QStringList> rows = TaskCommands::tableOf(kept ? kept->result : TaskAssignment {});
    table->setHorizontalHeaderLabels(rows.first());
    table->setRowCount(int(rows.size() - 1));
    for (int row = 1; row < rows.size(); ++row)
        for (int column = 0; column < rows.at(row).size(); ++column)
            table->setItem(row - 1, column, new QTableWidgetItem(rows.at(row).at(column)));
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    seed->setText(
        !kept ? QStringLiteral("尚未分配")
              : QStringLiteral("随机种子%1：%2")
                    .arg(kept->afterWitness ? QStringLiteral("（来自见证摇号）") : QString(), kept->seed.hex()));
    unmatched->clear();
    if (kept)
        for (const Avoidance& pair : kept->result.unmatched)
            unmatched->addItem(pair.inspector + QStringLiteral(" — ") + pair.enterprise);
    copy->setEnabled(bool(kept));
    exportTable->setEnabled(bool(kept));
}

} // namespace pelorin
