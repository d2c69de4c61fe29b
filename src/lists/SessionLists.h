#pragma once

#include "lists/NameListModel.h"

#include <QObject>
#include <array>

namespace pelorin {

// The candidates, results and history of all seven categories: the lists the session is made of.
class SessionLists : public QObject
{
    Q_OBJECT
public:
    explicit SessionLists(QObject* parent = nullptr);

    NameListModel& list(Category category, ListKind kind);

signals:
    // Any list changed.
    void changed(const pelorin::ListChange& change);

private:
    std::array<std::array<NameListModel*, 3>, CategoryCount> m_lists {};
};

} // namespace pelorin
