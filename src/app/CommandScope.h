#pragma once

#include "app/AppContext.h"

#include <QString>

namespace pelorin {

// Told where each user command begins and ends, so that what it changed is kept as one unit.
class ICommandRecorder
{
public:
    virtual ~ICommandRecorder() = default;

    virtual void commandBegan(const QString& kind, Category category) = 0;
    // The command returned: its changes are kept before this returns.
    virtual void commandEnded() = 0;
};

// Marks one command for the whole of a block. Scopes opened inside another belong to the outer command.
class CommandScope
{
public:
    CommandScope(AppContext& context, const QString& kind, Category category)
        : m_recorder(context.recorder)
    {
        if (m_recorder)
            m_recorder->commandBegan(kind, category);
    }
    ~CommandScope()
    {
        if (m_recorder)
            m_recorder->commandEnded();
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    ICommandRecorder* m_recorder;
};

} // namespace pelorin
