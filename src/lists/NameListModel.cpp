#include "lists/NameListModel.h"

namespace pelorin {

NameListModel::NameListModel(Category category, ListKind list, QObject* parent)
    : QAbstractListModel(parent)
    , m_category(category)
    , m_list(list)
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

void NameListModel::appendItems(const QStringList& names)
{
    if (names.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + static_cast<int>(names.size()) - 1);
    m_items.append(names);
    endInsertRows();
    announce(ListChange::Type::Append, -1, names);
}

void NameListModel::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    const QString removed = m_items.takeAt(index);
    endRemoveRows();
    announce(ListChange::Type::Remove, index, QStringList { removed });
}

void NameListModel::clear()
{
    if (m_items.isEmpty())
        return;
    beginResetModel();
    QStringList removed;
    removed.swap(m_items);
    endResetModel();
    announce(ListChange::Type::Clear, -1, std::move(removed));
}

void NameListModel::setItems(const QStringList& names)
{
    if (names == m_items)
        return;
    beginResetModel();
    m_items = names;
    endResetModel();
    announce(ListChange::Type::Replace, -1, names);
}

void NameListModel::announce(ListChange::Type type, int index, QStringList names)
{
    ListChange change;
    change.type = type;
    change.category = m_category;
    change.list = m_list;
    change.index = index;
    change.names = std::move(names);
    emit changed(change);
}

} // namespace pelorin
