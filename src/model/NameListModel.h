#pragma once

#include "model/SessionChange.h"

#include <QAbstractListModel>
#include <QStringList>

namespace pelorin {

// One list of a category (candidates, results or history) as the data its view shows. Only the session
// changes it, one ListChange at a time.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit NameListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QStringList& items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    QString textAt(int index) const { return m_items.value(index); }

    // Applies the change with the row signals a view needs.
    void apply(const ListChange& change, const QJsonObject& details);

private:
    QStringList m_items;
};

} // namespace pelorin
