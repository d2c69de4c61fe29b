#pragma once

#include "commands/Controls.h"

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace pelorin {

class MainWindow;
class ScriptedFileDialog;

// Lets a test drive the real program from outside, one line at a time on standard input, for the crash
// tests of the kept session. Every line gets "ok" on standard output once its command has returned:
//   import <category> <file>   choose file in the import dialog and import candidates
//   draw <category>            the draw button of that page
//   startstop                  the start/stop button of the draw window
//   dump                       prints "state " and every list and field, as JSON
class TestHook : public QObject
{
    Q_OBJECT
public:
    TestHook();
    ~TestHook() override;

    // Dialogs that answer by script and print what they showed.
    Services services();
    // The restore question's answer: PELORIN_TEST_RESTORE=yes or no.
    static bool answerRestore(const QString& question);
    void attach(MainWindow& window);
    void ready();

private:
    void readLine();
    void run(const QString& line);

    std::unique_ptr<IMessageBox> m_messages;
    std::unique_ptr<ScriptedFileDialog> m_files;
    QSocketNotifier* m_input = nullptr;
    MainWindow* m_window = nullptr;
    QByteArray m_buffer;
};

} // namespace pelorin
