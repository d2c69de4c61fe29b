#include "record/RecordSheet.h"

#include "model/NameText.h"
#include "model/WitnessSeed.h"
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

QString endOf(const WitnessedDraw& w)
{
    switch (w.end) {
    case WitnessedDraw::End::Completed:
        return QStringLiteral("完成：%1 个名称全部摇出").arg(w.draws);
    case WitnessedDraw::End::Abandoned:
        return QStringLiteral("放弃：关闭摇号窗口时要摇 %1 个，只摇出 %2 个").arg(w.draws).arg(w.drawn.size());
    case WitnessedDraw::End::CutShort:
        break;
    }
    return QStringLiteral("中断：没有关闭摇号窗口就结束了（程序中断），要摇 %1 个，摇出 %2 个")
        .arg(w.draws)
        .arg(w.drawn.size());
}

// A witnessed draw: what was committed to, what the witnesses gave, what was revealed, and how it ended.
RecordSheet::Section witnessedSection(const WitnessedDraw& w, int number)
{
    RecordSheet::Section section;
    section.heading
        = ordinal(number) + QStringLiteral("、见证摇号（") + categoryName(w.category) + QStringLiteral("）");
    const QString none = QStringLiteral("（没有）");
    section.facts = {
        QStringLiteral("承诺时间：%1；候选 %2 个，要摇 %3 个。")
            .arg(shownTime(w.commitTime))
            .arg(w.candidates)
            .arg(w.draws),
        QStringLiteral("名单指纹：") + w.fingerprint,
        QStringLiteral("承诺值：") + w.commitment,
        QStringLiteral("见证数字：") + (w.witnessText.isEmpty() ? none : withInvisibleShown(w.witnessText)),
        QStringLiteral("秘密值：") + (w.secret.isEmpty() ? QStringLiteral("（没有公布）") : w.secret),
        QStringLiteral("摇号种子：") + (w.seed.isEmpty() ? none : w.seed),
        QStringLiteral("结果：") + endOf(w)
            + (w.drawn.isEmpty() ? QString() : QStringLiteral("；摇出：") + w.drawn.join(QStringLiteral("、"))),
    };
    if (!w.secret.isEmpty())
        section.note
            = QStringLiteral(
                  "复算：按 README“见证摇号 in the record”的 Python 脚本，"
                  "python3 recompute.py %1 %2 [替补个数] < 名单.txt（第一行为见证数字，其后为承诺时的候选名单）。")
                  .arg(w.secret)
                  .arg(w.draws);
    return section;
}

// An assignment's task table: one line for each group, then who was sent nowhere.
RecordSheet::Section assignmentSection(const AssignedTasks& t, int number)
{
    RecordSheet::Section section;
    section.heading = ordinal(number) + QStringLiteral("、检查任务分配（") + shownTime(t.time) + QStringLiteral("）");
    section.facts.append(assignmentSettingsText(t) + QStringLiteral("；共 %1 个检查组。").arg(t.groups.size()));
    int g = 0;
    for (const TaskGroup& group : t.groups)
        section.facts.append(taskGroupText(group, ++g));
    if (!t.spare.isEmpty())
        section.facts.append(QStringLiteral("未派：") + spareText(t.spare));
    if (!t.unmatched.isEmpty())
        section.facts.append(QStringLiteral("有 %1 对回避不涉及摇出的人员或企业。").arg(t.unmatched.size()));
    section.note = QStringLiteral("种子：%1（%2）；回避名单指纹：%3。任何人可按 README“检查任务分配: the algorithm”"
                                  "由摇出结果、种子和回避名单重算每一组。")
                       .arg(t.seed, t.afterWitness ? QStringLiteral("由见证摇号的种子算出") : QStringLiteral("新种子"),
                            t.avoidancesFingerprint);
    return section;
}

} // namespace

RecordSheet noticeSheet(const Notice& notice)
{
    RecordSheet sheet;
    sheet.title = QStringLiteral("摇号前公告（见证摇号）");
    sheet.subtitle = { QStringLiteral("公告时间：") + notice.time };
    RecordSheet::Section section;
    section.heading = categoryName(notice.category);
    section.facts = {
        QStringLiteral("名单来源：") + notice.source,
        QStringLiteral("候选数：%1 个；本次要摇：%2 个。").arg(notice.candidates).arg(notice.draws),
        QStringLiteral("名单指纹（SHA-256）：") + notice.fingerprint,
        QStringLiteral("承诺值（程序秘密值的 SHA-256）："),
        witness::grouped(notice.commitment),
    };
    section.note = QStringLiteral(
        "程序已在见证人输入见证数字之前生成秘密值，并公布它的承诺值。摇号后程序公布秘密值，任何人都可核对它的 "
        "SHA-256 等于上面的承诺值，并由秘密值、见证数字和名单算出每一个摇出的名称。");
    sheet.sections.push_back(section);
    sheet.signatures = { QStringLiteral("操作人："), QStringLiteral("见证人："), QStringLiteral("见证人："),
                         QStringLiteral("日期：") };
    return sheet;
}

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
                + (d.witnessed      ? QStringLiteral("  见证摇号")
                       : d.slowStop ? QStringLiteral("  随机缓停")
                                    : QString());
            section.rows.push_back(row);
        }
        if (category.withdrawn > 0) {
            // By name, so that a name drawn, handed back and drawn again shows as such.
            QStringList handedBack;
            QStringList cleared;
            for (const ResultChange& change : category.resultChanges)
                if (change.kind == ResultChange::Kind::HandedBack || change.kind == ResultChange::Kind::Cleared)
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
        for (const Substitute& s : summary.substitutes)
            if (s.category == c)
                section.note += QStringLiteral("替补：“%1”撤下（%2），由同一种子抽出“%3”（%4 / %5，%6）。")
                                    .arg(withInvisibleShown(s.withdrawn), s.reason, withInvisibleShown(s.name))
                                    .arg(s.sector)
                                    .arg(s.wheelCount)
                                    .arg(shownTime(s.time));
        sheet.sections.push_back(section);
    }
    for (const WitnessedDraw& w : summary.witnessed)
        sheet.sections.push_back(witnessedSection(w, ++drawn));
    for (const AssignedTasks& t : summary.assignments)
        sheet.sections.push_back(assignmentSection(t, ++drawn));
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
