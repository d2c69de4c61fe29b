#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace pelorin::ui {

// The accessibility view of a combo box that was given a name. Qt's own view of a combo box on Linux
// reports its current text as its name and ignores the name the program gave it, so the speed box read
// "15" to a screen reader or an automated check instead of "转速". This one reports the given name and
// keeps the current text as the value; its children (the list and the edit field) and its actions stay
// those of a combo box.
class NamedComboAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboAccessible(QComboBox* combo);

    // Makes every combo box with a non-empty accessible name use this view; once per application.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* combo() const;
};

} // namespace pelorin::ui
