#pragma once

#include "platform/IShell.h"

#include <QStringList>

namespace pelorin {

class ScriptedShell : public IShell
{
public:
    void open(const QString& target) override { opened.append(target); }
    QStringList opened;
};

} // namespace pelorin
