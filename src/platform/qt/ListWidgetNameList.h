#pragma once

#include "platform/INameList.h"

class QListWidget;

namespace pelorin {

class ListWidgetNameList : public INameList
{
public:
    explicit ListWidgetNameList(QListWidget* widget)
        : m_widget(widget)
    {
    }

    void append(const QString& text) override;
    void removeAt(int index) override;
    void clear() override;
    int count() const override;
    QString textAt(int index) const override;
    int selectedIndex() const override;
    void setSelectedIndex(int index) override;
    QStringList items() const override;
    void setItems(const QStringList& items) override;
    void appendItems(const QStringList& items) override;

private:
    QListWidget* m_widget;
};

} // namespace pelorin
