#pragma once

#include <QString>

namespace pelorin {

class IShell
{
public:
    virtual ~IShell() = default;

    // Opens a web address or a file with the desktop's default program; false when the desktop has no
    // program for it or refused to start one.
    virtual bool open(const QString& target) = 0;
};

} // namespace pelorin
