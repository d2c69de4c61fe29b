#pragma once

#include "platform/IFileDialog.h"
#include "platform/IInputBox.h"
#include "platform/IMessageBox.h"
#include "platform/IShell.h"

#include <QQueue>
#include <QStringList>

namespace pelorin {

// Stand-ins for the person at the desk during the demo: they answer every dialog from a script and
// write down what the program showed.

class DemoMessageBox : public IMessageBox
{
public:
    Answer show(const QString& text, const QString& title, Icon, Buttons buttons) override
    {
        Q_UNUSED(title);
        shown.append(text);
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QStringList shown;
};

class DemoFileDialog : public IFileDialog
{
public:
    ChosenFile openFile(const QString&, const QStringList&, const QString&) override { return next(); }
    ChosenFile saveFile(const QString&, const QStringList&, const QString&) override { return next(); }
    QQueue<ChosenFile> choices;

private:
    ChosenFile next() { return choices.isEmpty() ? ChosenFile {} : choices.dequeue(); }
};

class DemoInputBox : public IInputBox
{
public:
    std::optional<QString> ask(const QString&, const QString&, const QString&) override { return answer; }
    QString answer;
};

// Keeps the files the program would open, instead of starting other programs.
class DemoShell : public IShell
{
public:
    bool open(const QString& target) override
    {
        opened.append(target);
        return true;
    }
    QStringList opened;
};

} // namespace pelorin
