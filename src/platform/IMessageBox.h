#pragma once

#include <QString>

namespace pelorin {

// Modal message boxes. Every call blocks until the user answers.
class IMessageBox
{
public:
    enum class Icon
    {
        None,
        Information,
        Question
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        // The steps offered with a witnessed draw's commitment: "摇号前公告" (answers Yes), "大屏显示" (answers
        // No) and "继续" (answers Ok, the default).
        NoticeOrContinue,
    };
    enum class Answer
    {
        Ok,
        Yes,
        No
    };

    virtual ~IMessageBox() = default;

    // Shows text with title, icon and buttons; returns the button pressed (No when the box is dismissed).
    // Yes/No boxes have No as their default button: Enter answers No, only a deliberate Yes proceeds.
    virtual Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) = 0;

    Answer information(const QString& text, const QString& title)
    {
        return show(text, title, Icon::Information, Buttons::Ok);
    }
    bool question(const QString& text, const QString& title)
    {
        return show(text, title, Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
    void plain(const QString& text, const QString& title) { show(text, title, Icon::None, Buttons::Ok); }
};

} // namespace pelorin
