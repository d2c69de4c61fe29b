#include "TestHook.h"

#include "model/Session.h"
#include "ui/CategoryPage.h"
#include "platform/scripted/ScriptedFileDialog.h"
#include "platform/scripted/ScriptedMessageBox.h"
#include "ui/DrawWindowPanel.h"
#include "ui/MainWindow.h"
#include "ui/NameListView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QToolButton>
#include <cstdio>
#include <unistd.h>

namespace pelorin {

namespace {

void say(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    fflush(stdout);
}

class PrintingMessageBox : public ScriptedMessageBox
{
public:
    Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override
    {
        say(QStringLiteral("message ") + QString(text).replace(u'\n', u' '));
        return ScriptedMessageBox::show(text, title, icon, buttons);
    }
};

QJsonObject stateOf(MainWindow& w)
{
    QJsonArray pages;
    for (Category i = 0; i < CategoryCount; ++i) {
        CategoryPage* p = w.page(i);
        QJsonObject page;
        page.insert(QStringLiteral("candidates"), QJsonArray::fromStringList(p->candidates->items()));
        page.insert(QStringLiteral("results"), QJsonArray::fromStringList(p->results->items()));
        page.insert(QStringLiteral("history"), QJsonArray::fromStringList(p->history->items()));
        page.insert(QStringLiteral("candidateCounter"), p->candidateCounter->text());
        page.insert(QStringLiteral("presetCount"), p->presetCount->text());
        page.insert(QStringLiteral("drawnCount"), p->drawnCount->text());
        pages.append(page);
    }
    const Session& s = w.session();
    QJsonObject state;
    state.insert(QStringLiteral("pages"), pages);
    state.insert(QStringLiteral("SourceFolder"), s.exportTexts().sourceFolder);
    state.insert(QStringLiteral("SourceFileTail"), s.exportTexts().sourceFileTail);
    state.insert(QStringLiteral("ImportStamp"), s.exportTexts().importStamp);
    state.insert(QStringLiteral("ExportPath"), s.exportTexts().exportPath);
    state.insert(QStringLiteral("CurCategory"), s.currentCategory());
    state.insert(QStringLiteral("drawWindowOpen"), w.drawWindow()->isVisible());
    return state;
}

} // namespace

TestHook::TestHook()
    : m_messages(std::make_unique<PrintingMessageBox>())
    , m_files(std::make_unique<ScriptedFileDialog>())
{
}

TestHook::~TestHook() = default;

Services TestHook::services()
{
    Services s;
    s.messageBox = m_messages.get();
    s.fileDialog = m_files.get();
    return s;
}

bool TestHook::answerRestore(const QString& question)
{
    say(QStringLiteral("asked ") + question);
    return qEnvironmentVariable("PELORIN_TEST_RESTORE") == QLatin1String("yes");
}

void TestHook::attach(MainWindow& window)
{
    m_window = &window;
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &TestHook::readLine);
}

void TestHook::ready()
{
    say(QStringLiteral("ready"));
}

void TestHook::readLine()
{
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_input->setEnabled(false);
        return;
    }
    m_buffer.append(chunk, n);
    for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n')) {
        const QString line = QString::fromUtf8(m_buffer.left(end));
        m_buffer.remove(0, end + 1);
        run(line);
    }
}

void TestHook::run(const QString& line)
{
    const QStringList words = line.split(u' ');
    const QString verb = words.value(0);
    const int category = words.value(1).toInt();
    if (verb == QLatin1String("import")) {
        const QString path = line.section(u' ', 2);
        m_files->choices.enqueue({ path, path.section(u'/', -1), {} });
        m_window->page(category)->importCandidates->click();
    } else if (verb == QLatin1String("draw")) {
        m_window->page(category)->drawButton->click();
    } else if (verb == QLatin1String("startstop")) {
        m_window->drawWindow()->startStop->click();
    } else if (verb == QLatin1String("dump")) {
        say(QStringLiteral("state ")
            + QString::fromUtf8(QJsonDocument(stateOf(*m_window)).toJson(QJsonDocument::Compact)));
    }
    say(QStringLiteral("ok"));
}

} // namespace pelorin
