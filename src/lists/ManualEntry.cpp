#include "lists/ManualEntry.h"

#include "commands/AppContext.h"
#include "lists/EntryText.h"
#include "lists/ListCommands.h"
#include "model/ListFingerprint.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IEntryPanel.h"
#include "platform/IMessageBox.h"

#include <algorithm>

namespace pelorin {

namespace {

constexpr std::int16_t TargetCandidates = 1;
constexpr std::int16_t TargetHistory = 4;

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
    m_context.session->setCurrentCategory(i);
    m_context.state.EntryTarget = target;
    m_context.controls.entry->open(captionPrefix + categoryName(i) + QStringLiteral("”名单）"));
}

void ManualEntry::commit()
{
    Session& session = *m_context.session;
    const Category i = session.currentCategory();
    IMessageBox& messageBox = *m_context.services.messageBox;

    const std::optional<QStringList> names = splitEntryText(m_context.controls.entry->text());
    if (!names) {
        messageBox.information(QStringLiteral("当前还没有输入名单。"), text::windowCaption());
        return;
    }

    // No UTF-8 text can hold an unpaired surrogate: such a name could not be written, hashed or printed as it is.
    const auto broken
        = std::find_if(names->begin(), names->end(), [](const QString& name) { return !isValidUnicode(name); });
    if (broken != names->end()) {
        messageBox.information(
            QStringLiteral("第 %1 个名称含有无效的字符（不成对的代理项），无法录入。请更正后重新录入。")
                .arg(broken - names->begin() + 1),
            text::windowCaption());
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
    tellInvisible(*names, messageBox);
    close();
}

void ManualEntry::close()
{
    m_context.controls.entry->close();
}

} // namespace pelorin
