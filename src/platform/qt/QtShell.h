#pragma once

#include "platform/IShell.h"

namespace pelorin {

// Hands web addresses and files to the desktop's default programs.
class QtShell : public IShell
{
public:
    bool open(const QString& target) override;
};

} // namespace pelorin
