#pragma once

#include "app/CommandRecord.h"

#include <QAbstractListModel>
#include <QStringList>

namespace pelorin {

// One list of a category (candidates, results or history) as the data its view shows. Every change is
// announced once more as a ListChange, so that whoever keeps the session need not decode row signals.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    NameListModel(Category category, ListKind list, QObject* parent = nullptr);

    Category category() const { return m_category; }
    ListKind list() const { return m_list; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QStringList& items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    QString textAt(int index) const { return m_items.value(index); }

    void append(const QString& text) { appendItems(QStringList { text }); }
    void appendItems(const QStringList& names);
    // Ignores an index outside the list.
    void removeAt(int index);
    void clear();
    void setItems(const QStringList& names);

signals:
    void changed(const pelorin::ListChange& change);

private:
    void announce(ListChange::Type type, int index, QStringList names);

    Category m_category;
    ListKind m_list;
    QStringList m_items;
};

} // namespace pelorin
