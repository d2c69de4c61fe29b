#include "output/VerifyCommand.h"

#include "platform/SystemReason.h"
#include "record/RecordVerifier.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace pelorin::record {

QString shownTime(const QString& recorded)
{
    const QDateTime time = QDateTime::fromString(recorded, Qt::ISODateWithMs);
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : recorded;
}

namespace {

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
            out << "    " << ++n << ". " << drawn.name << "（扇区 " << drawn.sector << "/" << drawn.wheelCount << "，"
                << shownTime(drawn.stopTime) << (drawn.slowStop ? "，随机缓停" : "") << "）" << Qt::endl;
        if (category.withdrawn > 0)
            out << "    其后有 " << category.withdrawn << " 个摇出结果被撤回或清除。" << Qt::endl;
    }
    if (!any)
        out << "  （本记录中没有摇出名称）" << Qt::endl;
}

} // namespace

int runVerify(const QString& path, QTextStream& out)
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
    const VerifyReport report = verifyRecord(file);
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
    writeDraws(s, out);
    out << "校验码：" << s.checkCode << Qt::endl;
    out << "结论：记录完整，各项核验都成立。" << Qt::endl;
    return 0;
}

} // namespace pelorin::record
