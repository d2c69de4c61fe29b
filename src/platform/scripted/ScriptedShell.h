#pragma once

#include "platform/IShell.h"

#include <QStringList>

namespace pelorin {

class ScriptedShell : public IShell
{
public:
    bool open(const QString& target) override
    {
        opened.append(target);
        return opens;
    }
    QStringList opened;
    bool opens = true; // false: as a desktop without a program for the file
};

} // namespace pelorin
