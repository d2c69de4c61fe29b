#include "output/VerifyCommand.h"

#include "lists/WorkbookImport.h"
#include "model/NameText.h"
#include "platform/SystemReason.h"
#include "record/RecordVerifier.h"
#include "workbook/Spreadsheet.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <algorithm>

namespace pelorin::record {

QString shownTime(const QString& recorded)
{
    const QDateTime time = QDateTime::fromString(recorded, Qt::ISODateWithMs);
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : recorded;
}

namespace {

const char* kindWords(ResultChange::Kind kind)
{
    switch (kind) {
    case ResultChange::Kind::Drawn:
        return "摇出 ";
    case ResultChange::Kind::HandedBack:
        return "撤回 ";
    case ResultChange::Kind::Cleared:
        return "清除 ";
    case ResultChange::Kind::Withdrawn:
        return "替补撤下 ";
    case ResultChange::Kind::Substitute:
        break;
    }
    return "替补摇出 ";
}

// Every ceremony, however it ended: an abandoned or cut-short one is what a retry would leave.
void writeWitnessed(const RecordSummary& summary, QTextStream& out)
{
    if (summary.witnessed.empty())
        return;
    out << "见证摇号：" << summary.witnessed.size() << " 次；公布的秘密值都与事先公布的承诺值相符，"
        << "见证摇号的每一次洗牌、每一个摇出的名称和替补都由秘密值、见证数字和名单算出的种子重新算出"
        << "（上面的洗牌次数也算上了它们）。" << Qt::endl;
    int n = 0;
    for (const WitnessedDraw& w : summary.witnessed) {
        const char* end = w.end == WitnessedDraw::End::Completed ? "完成"
            : w.end == WitnessedDraw::End::Abandoned             ? "放弃（摇号窗口提前关闭）"
                                                                 : "中断（没有关闭摇号窗口就结束了）";
        out << "  " << ++n << ". " << categoryName(w.category) << "，承诺于 " << shownTime(w.commitTime) << "，候选 "
            << w.candidates << " 个，要摇 " << w.draws << " 个，摇出 " << w.drawn.size() << " 个：" << end << Qt::endl;
        out << "     承诺值 " << w.commitment << Qt::endl;
        out << "     见证数字 "
            << (w.witnessText.isEmpty() ? QStringLiteral("（没有）") : withInvisibleShown(w.witnessText)) << Qt::endl;
        out << "     秘密值 " << (w.secret.isEmpty() ? QStringLiteral("（没有公布）") : w.secret) << Qt::endl;
        if (!w.seed.isEmpty())
            out << "     摇号种子 " << w.seed << Qt::endl;
        if (!w.drawn.isEmpty())
            out << "     摇出 " << w.drawn.join(QStringLiteral("、")) << Qt::endl;
    }
}

// Every assignment with its task table, as recomputed.
void writeAssignments(const RecordSummary& summary, QTextStream& out)
{
    if (summary.assignments.empty())
        return;
    out << "检查任务分配：" << summary.assignments.size()
        << " 次；每一次都由当时的摇出结果、记下的种子、设置和回避名单重新算出，每一组、未派人员和不涉及摇出名单的回避对"
           "都相符。"
        << Qt::endl;
    int n = 0;
    for (const AssignedTasks& t : summary.assignments) {
        out << "  " << ++n << ". " << shownTime(t.time) << "，" << assignmentSettingsText(t) << "，试了 "
            << t.formations << " 种分组：" << t.groups.size() << " 个检查组" << Qt::endl;
        out << "     种子 " << t.seed << (t.afterWitness ? "（由见证摇号的种子算出）" : "（新种子）") << Qt::endl;
        out << "     回避名单指纹 " << t.avoidancesFingerprint << Qt::endl;
        int g = 0;
        for (const TaskGroup& group : t.groups)
            out << "     " << taskGroupText(group, ++g) << Qt::endl;
        if (!t.spare.isEmpty())
            out << "     未派：" << spareText(t.spare) << Qt::endl;
        for (const Avoidance& pair : t.unmatched)
            out << "     不涉及摇出名单的回避：" << withInvisibleShown(pair.inspector) << " — "
                << withInvisibleShown(pair.enterprise) << Qt::endl;
    }
}

void writeDraws(const RecordSummary& summary, QTextStream& out)
{
    out << "摇中名单：" << Qt::endl;
    bool any = false;
    for (Category c = 0; c < CategoryCount; ++c) {
        const CategoryDraws& category = summary.categories.at(static_cast<std::size_t>(c));
        if (category.draws.empty())
            continue;
        any = true;
        out << "  " << categoryName(c);
        if (!category.sources.isEmpty())
            out << "（名单来源：" << category.sources.join(QStringLiteral("、")) << "）";
        out << Qt::endl;
        int n = 0;
        for (const DrawnName& drawn : category.draws)
            out << "    " << ++n << ". " << withInvisibleShown(drawn.name) << "（扇区 " << drawn.sector << "/"
                << drawn.wheelCount << "，" << shownTime(drawn.stopTime)
                << (drawn.witnessed      ? "，见证摇号"
                        : drawn.slowStop ? "，随机缓停"
                                         : "")
                << "，记录校验码 " << drawn.roomCode << "）" << Qt::endl;
        const bool substituted = std::any_of(summary.substitutes.begin(), summary.substitutes.end(),
                                             [c](const Substitute& s) { return s.category == c; });
        if (category.withdrawn > 0)
            out << "    其后有 " << category.withdrawn << " 个摇出结果被撤回或清除。" << Qt::endl;
        if (category.withdrawn > 0 || substituted) {
            // Every name in and out of the results, in order, so a redo shows.
            out << "    摇出结果的每一次变动：" << Qt::endl;
            for (const ResultChange& change : category.resultChanges)
                out << "      " << shownTime(change.time) << " " << kindWords(change.kind)
                    << withInvisibleShown(change.name) << Qt::endl;
        }
        for (const Substitute& s : summary.substitutes)
            if (s.category == c)
                out << "    替补：" << withInvisibleShown(s.withdrawn) << " 撤下（理由："
                    << withInvisibleShown(s.reason) << "），由见证摇号的种子抽出 " << withInvisibleShown(s.name) << "（"
                    << s.sector << "/" << s.wheelCount << "，" << shownTime(s.time) << "）" << Qt::endl;
    }
    if (!any)
        out << "  （本记录中没有摇出名称）" << Qt::endl;
}

// Finds the workbooks of a folder by the SHA-256 of their bytes, and reads one as the import reads it.
class WorkbookFolder
{
public:
    explicit WorkbookFolder(const QString& folder)
        : m_folder(folder)
    {
    }

    QString check(const QString& sha256, const QStringList& names)
    {
        if (!m_hashed)
            hashAll();
        const QString path = m_byHash.value(sha256);
        if (path.isEmpty())
            return QStringLiteral("文件夹 %1 中没有SHA-256为 %2 的工作簿，无法核对导入的名单。")
                .arg(QDir::toNativeSeparators(m_folder), sha256);
        workbook::Spreadsheet reader;
        QString error;
        const auto document = reader.open(path, &error);
        const ISheet* sheet = document ? document->firstSheet() : nullptr;
        QString refusal;
        const std::optional<QStringList> read
            = sheet ? WorkbookImport::namesOf(*sheet, &refusal) : std::optional<QStringList>();
        if (!read)
            return QStringLiteral("工作簿 %1 读不出名单：%2")
                .arg(QDir::toNativeSeparators(path), error.isEmpty() ? refusal : error);
        if (*read != names)
            return QStringLiteral("导入的名单与工作簿 %1 中的名单不符（工作簿中 %2 个名称，记录中 %3 个）。")
                .arg(QDir::toNativeSeparators(path))
                .arg(read->size())
                .arg(names.size());
        return {};
    }

private:
    void hashAll()
    {
        m_hashed = true;
        QDirIterator files(m_folder, QDir::Files);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            QCryptographicHash hash(QCryptographicHash::Sha256);
            if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
                m_byHash.insert(QString::fromLatin1(hash.result().toHex()), path);
        }
    }

    QString m_folder;
    bool m_hashed = false;
    QHash<QString, QString> m_byHash;
};

} // namespace

int runVerify(const QString& path, QTextStream& out)
{
    return runVerify(path, QString(), out);
}

int runVerify(const QString& path, const QString& workbooks, QTextStream& out)
{
    out << "核验摇号记录：" << QDir::toNativeSeparators(path) << Qt::endl;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        out << "无法打开文件："
            << (QFileInfo(path).isDir() ? QStringLiteral("这是一个文件夹。")
                                        : files::reasonOf(file.errorString()) + QStringLiteral("。"))
            << Qt::endl;
        return 2;
    }
    if (!workbooks.isEmpty() && !QFileInfo(workbooks).isDir()) {
        out << "找不到工作簿所在的文件夹：" << QDir::toNativeSeparators(workbooks) << Qt::endl;
        return 2;
    }
    WorkbookFolder folder(workbooks);
    WorkbookCheck check;
    if (!workbooks.isEmpty())
        check = [&folder](const QString& sha256, const QStringList& names) { return folder.check(sha256, names); };
    const VerifyReport report = verifyRecord(file, check);
    const RecordSummary& s = report.summary;
    switch (report.outcome) {
    case VerifyReport::Outcome::NotARecord:
        out << "不是摇号记录";
        if (report.line > 0)
            out << "（第 " << report.line << " 行）";
        out << "：" << report.reason << Qt::endl;
        return 2;
    case VerifyReport::Outcome::Broken:
        out << "第 " << report.line << " 行不成立：" << report.reason << Qt::endl;
        out << "结论：记录不成立，不能作为这次摇号的凭据。" << Qt::endl;
        return 1;
    case VerifyReport::Outcome::Holds:
        break;
    }
    out << "记录由 Pelorin " << s.programVersion << " 写成；本次摇号开始于 " << shownTime(s.sessionStartedLocal)
        << "（UTC " << shownTime(s.sessionStarted) << "）。" << Qt::endl;
    out << "哈希链：共 " << s.lines << " 行，每一行都记着上一行的 SHA-256，链条完整，没有行被改动、删去或调换。"
        << Qt::endl;
    out << "重放：" << s.events << " 条操作重建了各类的候选、结果和历史名单，每一处删去和清空都与名单相符。"
        << Qt::endl;
    out << "洗牌：" << s.shuffles << " 次洗牌（其中开始摇号 " << s.starts
        << " 次）都由洗牌前的名单和记录的种子重新算出，候选数和名单指纹都相符。" << Qt::endl;
    out << "停止：" << s.stops << " 次停止，由指针位置算出的扇区和扇区上的名称都与摇中的名称相符。" << Qt::endl;
    if (s.unfinishedStarts > 0)
        out << "另有 " << s.unfinishedStarts << " 次开始摇号没有停止（摇号窗口被关闭，或程序中断）。" << Qt::endl;
    if (!workbooks.isEmpty())
        out << "工作簿：" << s.workbooksChecked << " 次导入的名单与文件夹中同一SHA-256的工作簿逐一相符。" << Qt::endl;
    writeDraws(s, out);
    writeWitnessed(s, out);
    writeAssignments(s, out);
    if (!s.invisibleNames.isEmpty())
        out << "注意：以下名称含有看不见的字符或控制字符（以 <U+…> 标出），打印出来会与别的名称相似："
            << s.invisibleNames.join(QStringLiteral("、")) << Qt::endl;
    if (s.formatVersion == 1)
        out << "说明：这是第1版格式的记录，名单指纹按第1版计算（每个名称后接换行的 SHA-256），"
               "其余各项按本程序的全部规则核验。"
            << Qt::endl;
    for (const QString& unchecked : s.unchecked)
        out << "未能核验：" << unchecked << "。" << Qt::endl;
    out << "校验码：" << s.checkCode << Qt::endl;
    out << "结论：记录完整，各项核验都成立。" << Qt::endl;
    return 0;
}

} // namespace pelorin::record
