#pragma once

#include "lists/NameListModel.h"
#include "platform/INameList.h"

namespace pelorin {

// A list control over a NameListModel. The model holds the items; the selection belongs to the view,
// here a plain index that a view-backed subclass replaces.
class ModelNameList : public INameList
{
public:
    explicit ModelNameList(NameListModel& model)
        : m_model(model)
    {
    }

    void append(const QString& text) override { m_model.append(text); }
    void removeAt(int index) override;
    void clear() override;
    int count() const override { return m_model.count(); }
    QString textAt(int index) const override { return m_model.textAt(index); }
    int selectedIndex() const override;
    void setSelectedIndex(int index) override { m_selected = index; }
    QStringList items() const override { return m_model.items(); }
    void setItems(const QStringList& items) override;
    void appendItems(const QStringList& items) override { m_model.appendItems(items); }

protected:
    NameListModel& m_model;

private:
    int m_selected = -1;
};

} // namespace pelorin
