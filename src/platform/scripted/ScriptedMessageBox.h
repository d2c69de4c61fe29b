#pragma once

#include "platform/IMessageBox.h"

#include <QList>
#include <QQueue>

namespace pelorin {

// Answers from a queue (Yes when empty for questions, Ok for notices) and records every box shown.
class ScriptedMessageBox : public IMessageBox
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons;
    };

    Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override
    {
        shown.append({ text, title, icon, buttons });
        if (onShow)
            onShow(shown.last());
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (buttons == Buttons::NoticeOrContinue)
            return answers.isEmpty() ? Answer::Ok : answers.dequeue();
        return answers.isEmpty() ? Answer::Yes : answers.dequeue();
    }

    void answerNext(Answer answer) { answers.enqueue(answer); }
    QStringList texts() const
    {
        QStringList result;
        for (const auto& s : shown)
            result.append(s.text);
        return result;
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }

    QList<Shown> shown;
    QQueue<Answer> answers;
    std::function<void(const Shown&)> onShow;
};

} // namespace pelorin
