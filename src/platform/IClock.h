#pragma once

#include <QDateTime>

namespace pelorin {

class IClock
{
public:
    virtual ~IClock() = default;

    virtual QDateTime now() const = 0;
};

class SystemClock : public IClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace pelorin
