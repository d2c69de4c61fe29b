#include "output/RecordExport.h"

#include "commands/AppContext.h"
#include "lists/ImportPaths.h"
#include "model/Session.h"
#include "platform/AppText.h"
#include "platform/IClock.h"
#include "platform/IFileDialog.h"
#include "platform/IMessageBox.h"
#include "platform/ISheetPrinter.h"
#include "platform/IShell.h"
#include "platform/SafeSave.h"
#include "record/RecordSheet.h"
#include "record/RecordVerifier.h"
#include "record/RecordWriter.h"
#include "session/ISessionHistory.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelorin {

namespace {

const QString RecordSuffix = QStringLiteral(".jsonl");
const QString SheetSuffix = QStringLiteral(".pdf");

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString sheetPathOf(const QString& recordPath)
{
    return recordPath.left(recordPath.size() - RecordSuffix.size()) + SheetSuffix;
}

} // namespace

RecordExport::RecordExport(AppContext& context)
    : m_context(context)
{
}

void RecordExport::tell(const QString& text)
{
    m_context.services.messageBox->information(text, text::windowCaption());
}

void RecordExport::writeRecord()
{
    const ISessionHistory* history = m_context.history;
    if (!history || history->commands().empty()) {
        tell(QStringLiteral("当前还没有可以记录的操作。"));
        return;
    }
    bool dialogAsked = false;
    const std::optional<QString> path = recordPath(dialogAsked);
    if (!path)
        return;
    // One question for the pair; the save dialog has asked about the record file itself already.
    const QString sheet = sheetPathOf(*path);
    const bool recordExists = !dialogAsked && QFileInfo::exists(*path);
    if ((recordExists || QFileInfo::exists(sheet)) && !confirmOverwrite(recordExists ? *path : sheet))
        return;
    if (write(*path) && !m_context.services.shell->open(sheet))
        tell(QStringLiteral(
                 "摇号记录已保存：\n%1\n%2\n\n这台电脑上没有能打开PDF文件的程序，请到这个文件夹中查看记录单。")
                 .arg(nativeName(*path), nativeName(sheet)));
}

std::optional<QString> RecordExport::writeRecordInto(const QString& folder)
{
    if (!m_context.history || m_context.history->commands().empty())
        return std::nullopt;
    const QString name = QStringLiteral("摇号记录_") + importpaths::stampOf(m_context.services.clock->now());
    return write(QDir(folder).filePath(name + RecordSuffix));
}

std::optional<QString> RecordExport::recordPath(bool& dialogAsked)
{
    dialogAsked = false;
    const QString name
        = QStringLiteral("摇号记录_") + importpaths::stampOf(m_context.services.clock->now()) + RecordSuffix;
    const ExportTexts& texts = m_context.session->exportTexts();
    if (texts.hasImportedCandidates && QFileInfo(texts.sourceFolder).isDir())
        return QDir(texts.sourceFolder).filePath(name);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const ChosenFile chosen = m_context.services.fileDialog->saveFile(
        QStringLiteral("保存摇号记录："), { QStringLiteral("摇号记录(*.jsonl)") }, QDir(documents).filePath(name));
    if (chosen.path.isEmpty())
        return std::nullopt;
    QString path = chosen.path;
    if (!path.endsWith(RecordSuffix, Qt::CaseInsensitive))
        path += RecordSuffix;
    dialogAsked = path == chosen.path;
    return path;
}

bool RecordExport::confirmOverwrite(const QString& path)
{
    return m_context.services.messageBox->question(QStringLiteral("文件已存在，是否覆盖？\n") + nativeName(path),
                                                   text::windowCaption());
}

std::optional<QString> RecordExport::write(const QString& recordPath)
{
    // A copy of the record as it was written with the commands, never one made anew from the journal.
    const record::WrittenRecord written = record::closeChain(m_context.history->chain());

    // The sheet shows what a verifier reads back from the very bytes written, never what the program
    // believes it wrote.
    QBuffer buffer;
    buffer.setData(written.bytes);
    buffer.open(QIODevice::ReadOnly);
    const record::VerifyReport report = record::verifyRecord(buffer);
    if (report.outcome != record::VerifyReport::Outcome::Holds) {
        tell(QStringLiteral("摇号记录没有写成：记录第 %1 行核验不成立（%2）。").arg(report.line).arg(report.reason));
        return std::nullopt;
    }

    if (const QString reason = files::saveBytes(recordPath, written.bytes); !reason.isEmpty()) {
        tell(QStringLiteral("无法保存摇号记录：%1\n原因：%2").arg(nativeName(recordPath), reason));
        return std::nullopt;
    }
    const QString sheetPath = sheetPathOf(recordPath);
    const record::RecordSheet sheet = record::buildSheet(report.summary, QFileInfo(recordPath).fileName());
    QString error;
    if (!m_context.services.printer || !m_context.services.printer->printPdf(sheet, sheetPath, &error)) {
        tell(QStringLiteral("摇号记录已保存：%1\n但记录单无法保存：%2\n原因：%3")
                 .arg(nativeName(recordPath), nativeName(sheetPath), error));
        return std::nullopt;
    }
    return sheetPath;
}

} // namespace pelorin
