#include "model/NameListModel.h"

#include "model/ApplyChange.h"

namespace pelorin {

NameListModel::NameListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return m_items.at(index.row());
}

void NameListModel::apply(const ListChange& change, const QJsonObject& details)
{
    switch (change.type) {
    case ListChange::Type::Append:
        if (change.names.isEmpty())
            return;
        beginInsertRows(QModelIndex(), count(), count() + static_cast<int>(change.names.size()) - 1);
        applyListChange(m_items, change, details);
        endInsertRows();
        return;
    case ListChange::Type::Remove:
        if (change.index < 0 || change.index >= count())
            return;
        beginRemoveRows(QModelIndex(), change.index, change.index);
        applyListChange(m_items, change, details);
        endRemoveRows();
        return;
    default:
        beginResetModel();
        applyListChange(m_items, change, details);
        endResetModel();
        return;
    }
}

} // namespace pelorin
