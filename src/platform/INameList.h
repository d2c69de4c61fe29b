#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

// A list control whose items are the data: one name per item, in display order.
class INameList
{
public:
    virtual ~INameList() = default;

    virtual void append(const QString& text) = 0;
    virtual void removeAt(int index) = 0;
    virtual void clear() = 0;
    virtual int count() const = 0;
    virtual QString textAt(int index) const = 0;
    // Index of the selected item, -1 when none.
    virtual int selectedIndex() const = 0;
    virtual void setSelectedIndex(int index) = 0;

    // Bulk forms, so that large lists are not rebuilt item by item.
    virtual QStringList items() const = 0;
    virtual void setItems(const QStringList& items) = 0;
    virtual void appendItems(const QStringList& items) = 0;
};

} // namespace pelorin
