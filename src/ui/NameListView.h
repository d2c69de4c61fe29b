#pragma once

#include <QItemSelectionModel>
#include <QListView>

namespace pelorin {

// The view of one list of a category page; the items live in the model it shows.
class NameListView : public QListView
{
    Q_OBJECT
public:
    explicit NameListView(QWidget* parent = nullptr)
        : QListView(parent)
    {
        setUniformItemSizes(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

    int count() const { return model() ? model()->rowCount() : 0; }
    QString text(int row) const { return model() ? model()->index(row, 0).data().toString() : QString(); }
    QStringList items() const
    {
        QStringList result;
        for (int row = 0; row < count(); ++row)
            result.append(text(row));
        return result;
    }
    // The selected row, -1 when none.
    int selectedRow() const
    {
        const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
        return selected.isEmpty() ? -1 : selected.first().row();
    }
};

} // namespace pelorin
