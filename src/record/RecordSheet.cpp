#include "record/RecordSheet.h"

#include "model/NameText.h"
#include "output/VerifyCommand.h"

#include <QDateTime>

namespace pelorin::record {

namespace {

QString ordinal(int n)
{
    static const QStringList digits
        = { QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("四"),
            QStringLiteral("五"), QStringLiteral("六"), QStringLiteral("七"), QStringLiteral("八") };
    return n >= 1 && n <= digits.size() ? digits.at(n - 1) : QString::number(n);
}

QString dateOf(const QString& recorded)
{
    const QDateTime time = QDateTime::fromString(recorded, Qt::ISODateWithMs);
    return time.isValid() ? time.toString(QStringLiteral("yyyy年M月d日")) : recorded;
}

} // namespace

RecordSheet buildSheet(const RecordSummary& summary, const QString& recordFileName)
{
    RecordSheet sheet;
    sheet.title = QStringLiteral("随机抽查摇号记录");
    sheet.subtitle = {
        QStringLiteral("摇号日期：%1").arg(dateOf(summary.sessionStartedLocal)),
        QStringLiteral("本次摇号开始于 %1（UTC %2），记录共 %3 条操作。")
            .arg(shownTime(summary.sessionStartedLocal), shownTime(summary.sessionStarted))
            .arg(summary.events),
    };
    sheet.columns = { QStringLiteral("序号"), QStringLiteral("摇中名称"), QStringLiteral("停止时间"),
                      QStringLiteral("扇区 / 候选数") };

    int drawn = 0;
    for (Category c = 0; c < CategoryCount; ++c) {
        const CategoryDraws& category = summary.categories.at(static_cast<std::size_t>(c));
        if (category.draws.empty())
            continue;
        RecordSheet::Section section;
        section.heading = ordinal(++drawn) + QStringLiteral("、") + categoryName(c);
        section.facts.append(QStringLiteral("名单来源：")
                             + (category.sources.isEmpty() ? QStringLiteral("（未记录）")
                                                           : category.sources.join(QStringLiteral("、"))));
        section.facts.append(QStringLiteral("第一次开始摇号时的候选数：%1 个；共摇出 %2 个。")
                                 .arg(category.draws.front().wheelCount)
                                 .arg(category.draws.size()));
        int n = 0;
        for (const DrawnName& d : category.draws) {
            RecordSheet::Row row;
            row.number = QString::number(++n);
            row.name = d.name.isEmpty() ? QStringLiteral("（空名称）") : d.name;
            row.stopTime = shownTime(d.stopTime);
            row.sector = QStringLiteral("%1 / %2").arg(d.sector).arg(d.wheelCount);
            // The code the draw window and the projector showed after this stop: what the witnesses noted.
            row.detail = QStringLiteral("记录校验码 ") + d.roomCode + QStringLiteral("  候选名单指纹 ") + d.fingerprint
                + (d.slowStop ? QStringLiteral("  随机缓停") : QString());
            section.rows.push_back(row);
        }
        if (category.withdrawn > 0) {
            // By name, so that a name drawn, handed back and drawn again shows as such.
            QStringList handedBack;
            QStringList cleared;
            for (const ResultChange& change : category.resultChanges)
                if (change.kind != ResultChange::Kind::Drawn)
                    (change.kind == ResultChange::Kind::HandedBack ? handedBack : cleared)
                        .append(withInvisibleShown(change.name));
            section.note = QStringLiteral("注：其后有 %1 个摇出结果被撤回或清除，最终结果 %2 个。")
                               .arg(category.withdrawn)
                               .arg(category.results.size());
            if (!handedBack.isEmpty())
                section.note += QStringLiteral("撤回：") + handedBack.join(QStringLiteral("、")) + QStringLiteral("。");
            if (!cleared.isEmpty())
                section.note += QStringLiteral("清除：") + cleared.join(QStringLiteral("、")) + QStringLiteral("。");
        }
        sheet.sections.push_back(section);
    }
    if (sheet.sections.empty()) {
        RecordSheet::Section none;
        none.heading = QStringLiteral("本次没有摇出名称。");
        sheet.sections.push_back(none);
    }

    sheet.closing = {
        QStringLiteral("记录文件：") + recordFileName,
        QStringLiteral("校验码（记录最后一行的 SHA-256）："),
        summary.checkCode,
        QStringLiteral("核验方法：在装有 Pelorin 的电脑上运行 pelorin --verify %1，程序重算每一次洗牌和停止，"
                       "并显示同一个校验码。名单指纹是候选名单按顺序、每个名称的UTF-8字节数（4字节）和字节的 SHA-256。")
            .arg(recordFileName),
    };
    sheet.signatures = { QStringLiteral("操作人："), QStringLiteral("监督人："), QStringLiteral("日期：") };
    return sheet;
}

} // namespace pelorin::record
