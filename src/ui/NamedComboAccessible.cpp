#include "ui/NamedComboAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace pelorin::ui {

namespace {

QAccessibleInterface* namedComboFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto* combo = qobject_cast<QComboBox*>(object);
    if (!combo || combo->accessibleName().isEmpty())
        return nullptr;
    return new NamedComboAccessible(combo);
}

} // namespace

NamedComboAccessible::NamedComboAccessible(QComboBox* combo)
    : QAccessibleWidget(combo, QAccessible::ComboBox)
{
}

void NamedComboAccessible::install()
{
    // The factory installed last is asked first, before Qt's own views.
    QAccessible::installFactory(namedComboFactory);
}

QComboBox* NamedComboAccessible::combo() const
{
    return static_cast<QComboBox*>(widget());
}

// Child 0 is the list of items, child 1 the edit field of an editable box, as in Qt's own view.
int NamedComboAccessible::childCount() const
{
    return combo()->isEditable() ? 2 : 1;
}

QAccessibleInterface* NamedComboAccessible::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(combo()->view());
    if (index == 1 && combo()->isEditable())
        return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    return nullptr;
}

int NamedComboAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    if (child->object() == combo()->view())
        return 0;
    if (combo()->isEditable() && child->object() == combo()->lineEdit())
        return 1;
    return -1;
}

QString NamedComboAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return combo()->currentText();
    return QAccessibleWidget::text(t);
}

QStringList NamedComboAccessible::actionNames() const
{
    return QStringList { showMenuAction(), pressAction() } + QAccessibleWidget::actionNames();
}

void NamedComboAccessible::doAction(const QString& actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction()) {
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

} // namespace pelorin::ui
