#include "lists/ManualEntry.h"

#include "app/AppContext.h"
#include "app/AppText.h"
#include "app/Layout.h"
#include "lists/EntryText.h"
#include "lists/ListCommands.h"
#include "model/Session.h"
#include "platform/IMessageBox.h"
#include "platform/IPanel.h"
#include "platform/ITextControl.h"

namespace pelorin {

namespace {

constexpr int TextAreaWidth = 6615;
constexpr int TextAreaHeight = 8000;
constexpr int HeadingTop = 600;

constexpr std::int16_t TargetCandidates = 1;
constexpr std::int16_t TargetHistory = 4;

void place(IPanel& panel, int left, int top)
{
    QRect bounds = panel.bounds();
    bounds.moveTo(left, top);
    panel.setBounds(bounds);
}

} // namespace

ManualEntry::ManualEntry(AppContext& context)
    : m_context(context)
{
}

void ManualEntry::openForCandidates(Category i)
{
    open(i, TargetCandidates, QStringLiteral("手工直接录入或者复制名单：   （当前录入对象为“"));
}

void ManualEntry::openForHistory(Category i)
{
    open(i, TargetHistory, QStringLiteral("手工直接录入或者复制历史名单：   （当前录入对象为历史已摇出的“"));
}

void ManualEntry::open(Category i, std::int16_t target, const QString& captionPrefix)
{
    EntryPanelControls& entry = m_context.controls.entry;
    const int windowWidth = layout::WindowWidth;
    const int windowHeight = layout::WindowHeight;
    const int textLeft = (windowWidth - TextAreaWidth) / 2;

    m_context.session->setCurrentCategory(i);
    entry.panel->setBounds(QRect(0, 0, windowWidth, windowHeight));

    place(*entry.heading, textLeft, HeadingTop);
    const QRect heading = entry.heading->bounds();

    const QRect textArea(textLeft, heading.top() + heading.height() + 50, TextAreaWidth, TextAreaHeight);
    entry.textArea->setBounds(textArea);

    place(*entry.hint, textLeft, textArea.top() + textArea.height() + 100);
    const QRect hint = entry.hint->bounds();

    const int confirmWidth = entry.confirm->bounds().width();
    place(*entry.confirm, (windowWidth - confirmWidth) / 2, hint.top() + hint.height() + 200);
    const QRect confirm = entry.confirm->bounds();

    entry.headingCaption->setText(captionPrefix + categoryName(i) + QStringLiteral("”名单）"));
    place(*entry.close, confirm.left() + confirm.width() + 900, confirm.top());

    m_context.state.EntryTarget = target;

    entry.panel->setVisible(true);
    entry.heading->setVisible(true);
    entry.hint->setVisible(true);
    entry.textArea->setVisible(true);
    entry.confirm->setVisible(true);
    entry.close->setVisible(true);
}

void ManualEntry::commit()
{
    Session& session = *m_context.session;
    const Category i = session.currentCategory();
    EntryPanelControls& entry = m_context.controls.entry;
    IMessageBox& messageBox = *m_context.services.messageBox;

    const std::optional<QStringList> names = splitEntryText(entry.text->text());
    if (!names) {
        messageBox.information(QStringLiteral("当前还没有输入名单。"), text::windowCaption());
        return;
    }

    const ListKind list = m_context.state.EntryTarget != TargetHistory ? ListKind::Candidates : ListKind::History;
    {
        Session::Command command(session, QStringLiteral("manualEntry"), i);
        if (!session.appendNames(i, list, *names)) {
            messageBox.information(listFullMessage(), text::windowCaption());
            return;
        }
    }
    close();
}

void ManualEntry::close()
{
    // Each control is hidden on its own: the panel is shown again, bare, behind the draw window.
    EntryPanelControls& entry = m_context.controls.entry;
    entry.heading->setVisible(false);
    entry.hint->setVisible(false);
    entry.textArea->setVisible(false);
    entry.confirm->setVisible(false);
    entry.close->setVisible(false);
    entry.panel->setVisible(false);
}

} // namespace pelorin
