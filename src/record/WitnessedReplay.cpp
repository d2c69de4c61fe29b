// The witnessed draw (见证摇号) in a record: its commitment, the witnesses' text, the secret revealed, every
// pick of its stream, its end, and the substitutes drawn after it.
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/WitnessSeed.h"
#include "record/RecordFormat.h"
#include "record/RecordReplay.h"

#include <QJsonArray>
#include <algorithm>

namespace pelorin::record {

// A ceremony lasts from its commitment to the closing of the draw window. Within it come only its own steps,
// in their order, and page texts; any other command means the window was no longer open (the program was
// cut short and started again), and the ceremony is shown as cut short.
bool RecordReplay::followCeremony(Event& event, QString& reason)
{
    const QString& k = event.kind;
    const bool step = k == QLatin1String("witness") || k == QLatin1String("reveal")
        || ((k == QLatin1String("start") || k == QLatin1String("stop")) && event.witnessed);
    if (m_ceremony) {
        const Category category = m_summary.witnessed[m_ceremony->at].category;
        const bool within
            = (step && event.category == category) || k == QLatin1String("edit") || k == QLatin1String("close");
        if (!within)
            endCeremony(WitnessedDraw::End::CutShort);
    }
    const bool ceremonyKind = k == QLatin1String("commit") || k == QLatin1String("witness")
        || k == QLatin1String("reveal") || k == QLatin1String("substitute") || event.witnessed;
    if (ceremonyKind && m_version < 2) {
        reason = QStringLiteral("第1版格式的记录中没有见证摇号。");
        return false;
    }
    if (k == QLatin1String("commit"))
        return commit(event, reason);
    if (k == QLatin1String("close"))
        return closeCeremony(event, reason);
    if (!step)
        return true;

    using Stage = Ceremony::Stage;
    const Stage needed = k == QLatin1String("witness") ? Stage::Committed
        : k == QLatin1String("reveal")                 ? Stage::Witnessed
                                                       : Stage::Revealed;
    if (!m_ceremony) {
        reason = QStringLiteral("这一步之前没有进行中的见证摇号：承诺值必须在前，且其间没有别的操作中断它。");
        return false;
    }
    if (m_ceremony->stage != needed) {
        const bool early = m_ceremony->stage < needed;
        reason = k == QLatin1String("witness") ? QStringLiteral("这次见证摇号已经有过见证数字。")
            : k == QLatin1String("reveal")     ? (early ? QStringLiteral("公布秘密值之前没有见证数字。")
                                                        : QStringLiteral("这次见证摇号的秘密值已经公布过。"))
                                           : QStringLiteral("见证摇号的开始或停止之前，秘密值还没有公布。");
        return false;
    }
    WitnessedDraw& draw = m_summary.witnessed[m_ceremony->at];
    const QJsonObject& d = event.details;
    if (k == QLatin1String("witness")) {
        const QString text = d.value(witnessnotes::Text).toString();
        if (!hasExactly(d, { "witnessText" }) || !d.value(witnessnotes::Text).isString() || !isValidUnicode(text)
            || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
            || witness::digitCount(text) < witness::MinimumDigits) {
            reason = QStringLiteral("见证数字应是一行、至少含 %1 位数字的文字。").arg(witness::MinimumDigits);
            return false;
        }
        draw.witnessText = text;
        m_ceremony->stage = Stage::Witnessed;
        return true;
    }
    if (k == QLatin1String("reveal")) {
        const std::optional<ShuffleSeed> secret = ShuffleSeed::fromHex(d.value(witnessnotes::Secret).toString());
        if (!hasExactly(d, { "secret", "witnessSeed" }) || !secret || !isHex64(d.value(witnessnotes::Secret).toString())
            || !isHex64(d.value(witnessnotes::Seed).toString())) {
            reason = QStringLiteral("公布的秘密值或摇号种子不是64位小写十六进制数。");
            return false;
        }
        if (witness::commitmentOf(*secret) != draw.commitment) {
            reason = QStringLiteral("公布的秘密值的 SHA-256 不是事先公布的承诺值。");
            return false;
        }
        const std::optional<ShuffleSeed> seed = witness::seedOf(*secret, draw.witnessText, draw.fingerprint);
        if (!seed || seed->hex() != d.value(witnessnotes::Seed).toString()) {
            reason = QStringLiteral("摇号种子不是由秘密值、见证数字和名单指纹算出的种子。");
            return false;
        }
        draw.secret = secret->hex();
        draw.seed = seed->hex();
        m_ceremony->stream = std::make_unique<SeededStream>(*seed);
        m_ceremony->stage = Stage::Revealed;
        return true;
    }
    if (k == QLatin1String("start") && draw.drawn.size() >= draw.draws) {
        reason = QStringLiteral("见证摇号的 %1 个名称已经摇出，不能再开始。").arg(draw.draws);
        return false;
    }
    if (event.category != draw.category) {
        reason = QStringLiteral("见证摇号的开始或停止不是承诺值那一类。");
        return false;
    }
    return true;
}

bool RecordReplay::commit(const Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    const Category c = event.category;
    const std::optional<qint64> count = wholeNumber(d.value(shufflenotes::Count));
    const std::optional<qint64> draws = wholeNumber(d.value(witnessnotes::Draws));
    if (c < 0 || !hasExactly(d, { "candidates", "commitment", "draws", "fingerprint" })
        || !isHex64(d.value(witnessnotes::Commitment).toString())
        || !isHex64(d.value(shufflenotes::Fingerprint).toString())) {
        reason = QStringLiteral("承诺值一行应记下类别、候选数、要摇的个数、名单指纹和64位十六进制的承诺值。");
        return false;
    }
    const std::vector<int>& candidates = candidatesOf(c);
    if (!count || *count != static_cast<qint64>(candidates.size()) || !draws || *draws < 1 || *draws > *count) {
        reason = QStringLiteral("承诺时的候选数应是重建的候选名单的 %1 个，要摇的个数应在1到候选数之间。")
                     .arg(candidates.size());
        return false;
    }
    if (d.value(shufflenotes::Fingerprint).toString() != fingerprintOf(candidates)) {
        reason = QStringLiteral("承诺时的名单指纹与重建的候选名单不符。");
        return false;
    }
    m_substituteStreams.at(static_cast<std::size_t>(c)).reset();
    WitnessedDraw draw;
    draw.category = c;
    draw.commitTime = event.localTime;
    draw.commitment = d.value(witnessnotes::Commitment).toString();
    draw.fingerprint = d.value(shufflenotes::Fingerprint).toString();
    draw.candidates = static_cast<int>(*count);
    draw.draws = static_cast<int>(*draws);
    m_summary.witnessed.push_back(draw);
    m_ceremony.emplace();
    m_ceremony->at = m_summary.witnessed.size() - 1;
    return true;
}

// Closing the window ends the ceremony: completed when every pick was drawn, abandoned before, with how many
// were drawn either way. A close outside any ceremony notes neither.
bool RecordReplay::closeCeremony(const Event& event, QString& reason)
{
    const QJsonObject& d = event.details;
    if (!m_ceremony) {
        if (!d.isEmpty()) {
            reason = QStringLiteral("没有进行中的见证摇号，关闭摇号窗口时却记下了见证摇号的结束。");
            return false;
        }
        return true;
    }
    const WitnessedDraw& draw = m_summary.witnessed[m_ceremony->at];
    const bool complete = m_ceremony->stage == Ceremony::Stage::Revealed && draw.drawn.size() == draw.draws;
    const QString key = complete ? witnessnotes::Completed : witnessnotes::Abandoned;
    if (d.size() != 1 || wholeNumber(d.value(key)) != static_cast<qint64>(draw.drawn.size())) {
        reason = complete
            ? QStringLiteral("见证摇号的 %1 个名称都已摇出，关闭时应记为完成（completed: %1）。").arg(draw.draws)
            : QStringLiteral("见证摇号没有完成（要摇 %1 个，摇出 %2 个），关闭时应记为放弃（abandoned: %2）。")
                  .arg(draw.draws)
                  .arg(draw.drawn.size());
        return false;
    }
    if (complete) {
        m_substituteStreams.at(static_cast<std::size_t>(draw.category)) = std::move(m_ceremony->stream);
        m_substituteCeremony.at(static_cast<std::size_t>(draw.category)) = m_ceremony->at;
        m_completedSeed = ShuffleSeed::fromHex(draw.seed);
    }
    endCeremony(complete ? WitnessedDraw::End::Completed : WitnessedDraw::End::Abandoned);
    return true;
}

void RecordReplay::endCeremony(WitnessedDraw::End end)
{
    m_summary.witnessed[m_ceremony->at].end = end;
    m_ceremony.reset();
}

// A substitute withdraws a drawn name and takes the completed ceremony's next pick among the candidates as
// they stand: the name at that place moves to the results, the first equal candidate leaving.
bool RecordReplay::substitute(Event& event, QString& reason)
{
    const Category c = event.category;
    SeededStream* stream = m_substituteStreams.at(static_cast<std::size_t>(c)).get();
    if (!stream) {
        reason = QStringLiteral("替补只能在本类别的见证摇号完成之后进行，且其间候选名单没有别的改动。");
        return false;
    }
    const QJsonObject& d = event.details;
    const QString withdrawn = d.value(witnessnotes::Withdrawn).toString();
    const QString why = d.value(witnessnotes::Reason).toString();
    if (why.trimmed().isEmpty() || !isValidUnicode(why)) {
        reason = QStringLiteral("替补没有写明撤下的理由。");
        return false;
    }
    const Change& out = event.changes[0];
    const Change& in = event.changes[1];
    const Change& take = event.changes[2];
    QStringList& results = listRef(c, ListKind::Results);
    if (out.names != QStringList { withdrawn } || out.index < 0 || out.index >= results.size()
        || results.at(static_cast<qsizetype>(out.index)) != withdrawn) {
        reason = QStringLiteral("替补撤下的名称不在摇出结果的那个位置上。");
        return false;
    }
    std::vector<int>& candidates = candidatesOf(c);
    if (candidates.empty()) {
        reason = QStringLiteral("候选名单已经空了，没有可以替补的名称。");
        return false;
    }
    const int n = static_cast<int>(candidates.size());
    const int pick = stream->between(1, n);
    m_summary.witnessed[m_substituteCeremony.at(static_cast<std::size_t>(c))].steps.push_back({ false, n });
    const int id = candidates[static_cast<std::size_t>(pick - 1)];
    const QString& name = m_names[static_cast<std::size_t>(id)];
    const auto first = std::find(candidates.begin(), candidates.end(), id);
    if (wholeNumber(d.value(drawnotes::Sector)) != pick || d.value(drawnotes::Name).toString() != name
        || in.names != QStringList { name } || take.names != QStringList { name }
        || take.index != first - candidates.begin()) {
        reason = QStringLiteral("替补应是见证摇号种子的下一次抽取：%1 个候选中的第 %2 个，“%3”。")
                     .arg(n)
                     .arg(pick)
                     .arg(name);
        return false;
    }
    dropWheel(c);
    results.removeAt(static_cast<qsizetype>(out.index));
    results.append(name);
    candidates.erase(first);
    CategoryDraws& draws = m_summary.categories.at(static_cast<std::size_t>(c));
    draws.resultChanges.push_back({ ResultChange::Kind::Withdrawn, withdrawn, event.localTime });
    draws.resultChanges.push_back({ ResultChange::Kind::Substitute, name, event.localTime });
    m_summary.substitutes.push_back({ c, withdrawn, why, name, pick, n, event.localTime });
    return true;
}

} // namespace pelorin::record
