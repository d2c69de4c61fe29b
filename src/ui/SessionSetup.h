#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;
class QWidget;

namespace pelorin {

class MainWindow;
class SessionKeeper;
class SqlJournal;

// Keeps a main window's session on disk: one program at a time, the journal in the data folder, and the
// offer to restore a session a crash cut off.
class SessionSetup
{
public:
    // askRestore asks the question with No as the default answer; true for Yes.
    SessionSetup(MainWindow& window, std::function<bool(const QString&)> askRestore);
    ~SessionSetup();

    // The folder of the journal: PELORIN_DATA, else the user's application data folder.
    static QString dataFolder();
    // The question in a desktop message box with No as its default button.
    static std::function<bool(const QString&)> askOnDesktop(QWidget* parent);
    static QString journalName() { return QStringLiteral("session.sqlite"); }

    // Takes the lock and opens the journal, telling the user of any fault. False when another Pelorin
    // runs: the caller ends.
    bool begin();
    // After the window shows: offers the session a crash left, if any.
    void offerRestore();
    // The user ended the program normally.
    void end();

    SessionKeeper& keeper() { return *m_keeper; }

private:
    void openJournal(const QString& folder);
    void withoutJournal(const QString& message);
    void tell(const QString& message);

    MainWindow& m_window;
    std::function<bool(const QString&)> m_askRestore;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<SqlJournal> m_journal;
    std::unique_ptr<SessionKeeper> m_keeper;
};

} // namespace pelorin
