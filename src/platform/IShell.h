#pragma once

#include <QString>

namespace pelorin {

class IShell
{
public:
    virtual ~IShell() = default;

    // Opens a web address or a file with the desktop's default program. The outcome is not reported.
    virtual void open(const QString& target) = 0;
};

} // namespace pelorin
