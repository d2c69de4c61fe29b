#pragma once

#include "platform/IClock.h"

namespace pelorin::test {

class FakeClock : public IClock
{
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
};

} // namespace pelorin::test
