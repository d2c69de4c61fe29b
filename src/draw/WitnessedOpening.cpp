#include "draw/WitnessedOpening.h"

#include "commands/AppContext.h"
#include "lists/ImportPaths.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/NumberConversion.h"
#include "model/Session.h"
#include "model/WitnessSeed.h"
#include "platform/AppText.h"
#include "platform/IClock.h"
#include "platform/IDrawWindow.h"
#include "platform/IFileDialog.h"
#include "platform/IInputBox.h"
#include "platform/IMessageBox.h"
#include "platform/ISeedSource.h"
#include "platform/ISheetPrinter.h"
#include "platform/IShell.h"
#include "platform/IToggle.h"
#include "session/ISessionHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace pelorin {

WitnessedOpening::WitnessedOpening(AppContext& context)
    : m_context(context)
{
}

bool WitnessedOpening::isOptionOn() const
{
    const IToggle* option = m_context.controls.draw.witnessed;
    return option && option->isChecked() && m_context.services.seeds && m_context.services.inputBox;
}

bool WitnessedOpening::hold(Category i)
{
    Session& session = *m_context.session;
    DrawProgress& progress = session.progress();
    IMessageBox& messages = *m_context.services.messageBox;
    const QStringList& candidates = session.names(i, ListKind::Candidates);
    const ShuffleSeed secret = m_context.services.seeds->newSeed();
    const QString commitment = witness::commitmentOf(secret);
    const QString fingerprint = listFingerprint(candidates);
    // The picks this ceremony is for: what the preset count leaves to draw, and no more than the wheel holds.
    const int left = int(toNumber(progress.presetText()).value_or(1)) - int(toNumber(progress.drawnText()).value_or(0));
    const int draws = std::clamp(left, 1, int(candidates.size()));
    // The ceremony's steps stand beside the wheel from the commitment on, for the room to note.
    m_context.controls.draw.window->widen();
    {
        Session::Command command(session, QStringLiteral("commit"), i);
        session.note(witnessnotes::Commitment, commitment);
        session.note(shufflenotes::Count, int(candidates.size()));
        session.note(shufflenotes::Fingerprint, fingerprint);
        session.note(witnessnotes::Draws, draws);
        progress.commit(secret, commitment, fingerprint, int(candidates.size()), draws);
    }
    const QString shown = QStringLiteral("见证摇号：程序已生成本次摇号的秘密值，先公布它的承诺值（SHA-256）：\n\n%1\n\n"
                                         "%2，候选 %3 个，要摇 %4 个，名单指纹：\n%5\n\n"
                                         "请见证人记下或拍下承诺值（可打印摇号前公告签字），然后按“继续”输入见证数字。")
                              .arg(witness::grouped(commitment, 8), categoryName(i))
                              .arg(candidates.size())
                              .arg(draws)
                              .arg(witness::grouped(fingerprint, 8));
    // 摇号前公告 prints the commitment, 大屏显示 shows it to the room; the box comes back until 继续.
    for (;;) {
        const IMessageBox::Answer answer = messages.show(shown, text::windowCaption(), IMessageBox::Icon::Information,
                                                         IMessageBox::Buttons::NoticeOrContinue);
        if (answer == IMessageBox::Answer::Yes)
            printNotice({ i, sourceOf(i), int(candidates.size()), draws, fingerprint, commitment,
                          m_context.services.clock->now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) });
        else if (answer == IMessageBox::Answer::No && m_context.controls.draw.toggleProjector)
            m_context.controls.draw.toggleProjector();
        else
            break;
    }
    std::optional<QString> text;
    for (;;) {
        text = m_context.services.inputBox->ask(
            QStringLiteral("请见证人输入见证数字（例如当场掷骰子的点数），合计至少 %1 位数字。\n"
                           "结果由这些数字和程序已承诺的秘密值共同决定，任何一方都不能单独控制。")
                .arg(witness::MinimumDigits),
            QStringLiteral("见证数字"), QString());
        if (!text)
            return false;
        if (witness::digitCount(*text) < witness::MinimumDigits) {
            messages.information(QStringLiteral("见证数字至少要有 %1 位，现在只有 %2 位。")
                                     .arg(witness::MinimumDigits)
                                     .arg(witness::digitCount(*text)),
                                 text::windowCaption());
            continue;
        }
        // Shown large on the projector while the room checks it.
        progress.noteWitnesses(*text);
        // Large, so that everyone in the room can read it back.
        if (messages.question(QStringLiteral("<p>见证数字：</p><p style=\"font-size:28pt\">%1</p><p>确认无误？</p>")
                                  .arg(text->toHtmlEscaped()),
                              text::windowCaption()))
            break;
    }
    {
        Session::Command command(session, QStringLiteral("witness"), i);
        session.note(witnessnotes::Text, *text);
    }
    const std::optional<ShuffleSeed> seed = witness::seedOf(secret, *text, fingerprint);
    {
        Session::Command command(session, QStringLiteral("reveal"), i);
        session.note(witnessnotes::Secret, secret.hex());
        session.note(witnessnotes::Seed, seed->hex());
        progress.reveal(*seed);
    }
    messages.information(QStringLiteral("秘密值：\n%1\n\n摇号种子：\n%2\n\n本次每一个摇出的名称都由这个种子决定。")
                             .arg(witness::grouped(secret.hex(), 8), witness::grouped(seed->hex(), 8)),
                         text::windowCaption());
    return true;
}

QString WitnessedOpening::sourceOf(Category i) const
{
    // As the record will name it: the last workbook imported, and 手工录入 for names typed since.
    QStringList sources;
    if (m_context.history)
        for (const SessionChange& command : m_context.history->commands()) {
            if (command.category != i)
                continue;
            for (const ListChange& change : command.lists) {
                if (change.list != ListKind::Candidates)
                    continue;
                if (command.kind == QLatin1String("import"))
                    sources = { command.details.value(listnotes::File).toString() };
                else if (command.kind == QLatin1String("manualEntry") && !sources.contains(QStringLiteral("手工录入")))
                    sources.append(QStringLiteral("手工录入"));
                else if (change.type == ListChange::Type::Clear)
                    sources.clear();
            }
        }
    return sources.isEmpty() ? QStringLiteral("（未记录）") : sources.join(QStringLiteral("、"));
}

void WitnessedOpening::printNotice(const record::Notice& notice)
{
    IMessageBox& messages = *m_context.services.messageBox;
    const QString name = QStringLiteral("摇号前公告_") + importpaths::stampOf(m_context.services.clock->now())
        + QStringLiteral(".pdf");
    const ExportTexts& texts = m_context.session->exportTexts();
    QString path;
    if (texts.hasImportedCandidates && QFileInfo(texts.sourceFolder).isDir()) {
        path = QDir(texts.sourceFolder).filePath(name);
    } else {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        path = m_context.services.fileDialog
                   ->saveFile(QStringLiteral("保存摇号前公告："), { QStringLiteral("PDF 文件(*.pdf)") },
                              QDir(documents).filePath(name))
                   .path;
        if (path.isEmpty())
            return;
    }
    QString error;
    if (!m_context.services.printer
        || !m_context.services.printer->printPdf(record::noticeSheet(notice), path, &error)) {
        messages.information(
            QStringLiteral("无法保存摇号前公告：%1\n原因：%2").arg(QDir::toNativeSeparators(path), error),
            text::windowCaption());
        return;
    }
    if (!m_context.services.shell->open(path))
        messages.information(
            QStringLiteral("摇号前公告已保存：\n%1\n\n这台电脑上没有能打开PDF文件的程序，请到这个文件夹中打印。")
                .arg(QDir::toNativeSeparators(path)),
            text::windowCaption());
}

void WitnessedOpening::noteEnd()
{
    Session& session = *m_context.session;
    const DrawProgress& progress = session.progress();
    if (progress.ceremony().stage == DrawProgress::Ceremony::Stage::None)
        return;
    session.note(progress.ceremonyComplete() ? witnessnotes::Completed : witnessnotes::Abandoned,
                 int(progress.drawnThisOpening().size()));
}

void WitnessedOpening::substitute(Category i, int selected)
{
    Session& session = *m_context.session;
    IMessageBox& messages = *m_context.services.messageBox;
    IRandom* stream = session.progress().substituteStream(i);
    if (!stream) {
        messages.information(QStringLiteral("替补只能在本类别的见证摇号完成之后进行，且其间候选名单没有改动。"),
                             text::windowCaption());
        return;
    }
    if (selected < 0 || selected >= session.count(i, ListKind::Results)) {
        messages.information(QStringLiteral("请先在摇出结果中选中要撤下的名称。"), text::windowCaption());
        return;
    }
    if (session.count(i, ListKind::Candidates) == 0) {
        messages.information(QStringLiteral("候选名单已经空了，没有可以替补的名称。"), text::windowCaption());
        return;
    }
    const QString withdrawn = session.names(i, ListKind::Results).at(selected);
    const std::optional<QString> reason = m_context.services.inputBox->ask(
        QStringLiteral("撤下“%1”，由见证摇号的同一种子抽出替补。\n请输入撤下的理由（如回避、缺席）：").arg(withdrawn),
        QStringLiteral("替补"), QString());
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        messages.information(QStringLiteral("替补必须写明撤下的理由。"), text::windowCaption());
        return;
    }
    QString name;
    {
        Session::Command command(session, QStringLiteral("substitute"), i);
        const int sector = stream->between(1, session.count(i, ListKind::Candidates));
        name = session.names(i, ListKind::Candidates).at(sector - 1);
        session.note(witnessnotes::Withdrawn, withdrawn);
        session.note(witnessnotes::Reason, *reason);
        session.note(drawnotes::Name, name);
        session.note(drawnotes::Sector, sector);
        session.substitute(i, selected, sector);
        session.progress().noteSubstituted();
    }
    messages.information(QStringLiteral("“%1”已撤下（%2），替补摇出：“%3”。").arg(withdrawn, reason->trimmed(), name),
                         text::windowCaption());
}

} // namespace pelorin
