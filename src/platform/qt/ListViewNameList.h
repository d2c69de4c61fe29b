#pragma once

#include "lists/ModelNameList.h"

class QListView;

namespace pelorin {

// A list control whose items live in a model and whose selection is the view's.
class ListViewNameList : public ModelNameList
{
public:
    ListViewNameList(NameListModel& model, QListView* view);

    int selectedIndex() const override;
    void setSelectedIndex(int index) override;

private:
    QListView* m_view;
};

} // namespace pelorin
