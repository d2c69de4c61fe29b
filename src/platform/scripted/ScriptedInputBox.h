#pragma once

#include "platform/IInputBox.h"

#include <QList>
#include <QQueue>

namespace pelorin {

// Answers from a queue (cancel when empty) and records the prompts.
class ScriptedInputBox : public IInputBox
{
public:
    struct Asked
    {
        QString prompt;
        QString title;
        QString defaultText;
    };

    std::optional<QString> ask(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        asked.append({ prompt, title, defaultText });
        return answers.isEmpty() ? std::nullopt : answers.dequeue();
    }

    QList<Asked> asked;
    QQueue<std::optional<QString>> answers;
};

} // namespace pelorin
