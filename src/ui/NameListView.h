#pragma once

#include "lists/NameListModel.h"

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
    // Appends to the list the view shows, as a QListWidget would.
    void addItem(const QString& text) { addItems({ text }); }
    void addItems(const QStringList& texts)
    {
        if (auto* names = qobject_cast<NameListModel*>(model()))
            names->appendItems(texts);
    }
};

} // namespace pelorin
