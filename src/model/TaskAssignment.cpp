#include "model/TaskAssignment.h"

#include "model/Sha256.h"
#include "model/Shuffle.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

namespace pelorin {

namespace {

// Per role (组长, 副组长, 成员), the inspectors who can be sent, in drawn order.
using Usable = std::array<std::vector<int>, 3>;

QString quotedEnterprise(const QString& name)
{
    return QStringLiteral("企业“%1”：").arg(name);
}

QString roleName(InspectorRole role)
{
    switch (role) {
    case InspectorRole::Leader:
        return QStringLiteral("组长");
    case InspectorRole::Deputy:
        return QStringLiteral("副组长");
    case InspectorRole::Member:
        break;
    }
    return QStringLiteral("成员");
}

// "（2名须回避全部企业）" when some of the role were set aside.
QString setAsideNote(int count)
{
    return count == 0 ? QString() : QStringLiteral("（%1名须回避全部企业）").arg(count);
}

std::vector<int> shuffled(const std::vector<int>& items, IRandom& random)
{
    const std::vector<int> order = shuffledOrder(int(items.size()), random);
    if (order.empty())
        return items;
    std::vector<int> result;
    result.reserve(items.size());
    for (const int k : order)
        result.push_back(items[k]);
    return result;
}

// Inspectors and enterprises by index; for each inspector the enterprises they avoid. Kept as lists, not as a
// bit for every inspector and enterprise: the largest lists would take hundreds of megabytes.
class Assigner
{
public:
    Assigner(const TaskInput& input, IRandom& random)
        : m_in(input)
        , m_random(random)
        , m_n(int(input.enterprises.size()))
    {
        for (const auto& [role, list] : { std::pair { InspectorRole::Leader, &input.leaders },
                                          std::pair { InspectorRole::Deputy, &input.deputies },
                                          std::pair { InspectorRole::Member, &input.members } })
            for (const QString& name : *list) {
                m_roles.push_back(role);
                m_names.push_back(name);
            }
        m_avoids.resize(m_roles.size());
    }

    TaskAssignment run();

private:
    // The groups of the formation that avoid an enterprise, ascending (a group may come more than once).
    std::pair<const int*, const int*> blocking(int enterprise) const
    {
        return { m_blocked.data() + m_blockedFrom[enterprise], m_blocked.data() + m_blockedFrom[enterprise + 1] };
    }
    bool avoids(int group, int enterprise) const
    {
        const auto [from, to] = blocking(enterprise);
        return std::binary_search(from, to, group);
    }
    void readAvoidances(TaskAssignment& result);
    QString checkEnterprises(const Usable& usable) const;
    bool form(const Usable& usable);
    bool putBack(int place);
    QString failure() const;

    const TaskInput& m_in;
    IRandom& m_random;
    const int m_n;
    std::vector<InspectorRole> m_roles;
    std::vector<QString> m_names;
    std::vector<std::vector<int>> m_avoids; // ascending, no repeats

    // The formation being tried.
    int m_groups = 0;
    std::vector<int> m_quota;
    std::vector<std::vector<int>> m_inspectors; // per group: 组长, 副组长, 成员
    std::vector<int> m_blockedFrom; // where each enterprise's blocking groups start in m_blocked
    std::vector<int> m_blocked;
    std::vector<int> m_order; // the enterprise at each place
    std::vector<std::vector<int>> m_placed; // per group, the places it holds, ascending
    // The last search: the groups it queued, each reached through a place from a group (-1: the first).
    std::vector<int> m_queue;
    std::vector<std::pair<int, int>> m_via;
    int m_failedPlace = -1;
};

void Assigner::readAvoidances(TaskAssignment& result)
{
    QHash<QString, std::vector<int>> inspectors;
    QHash<QString, std::vector<int>> enterprises;
    for (std::size_t i = 0; i < m_names.size(); ++i)
        inspectors[m_names[i]].push_back(int(i));
    for (int e = 0; e < m_n; ++e)
        enterprises[m_in.enterprises[e]].push_back(e);
    for (const Avoidance& pair : m_in.avoidances) {
        const auto who = inspectors.constFind(pair.inspector);
        const auto what = enterprises.constFind(pair.enterprise);
        if (who == inspectors.cend() || what == enterprises.cend()) {
            result.unmatched.append(pair);
            continue;
        }
        for (const int i : *who)
            m_avoids[i].insert(m_avoids[i].end(), what->begin(), what->end());
    }
    for (std::vector<int>& list : m_avoids) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
}

QString Assigner::checkEnterprises(const Usable& usable) const
{
    std::array<std::vector<int>, 3> avoiders;
    for (int r = 0; r < 3; ++r) {
        avoiders[r].assign(m_n, 0);
        for (const int i : usable[r])
            for (const int e : m_avoids[i])
                ++avoiders[r][e];
    }
    const int m = m_in.settings.membersPerGroup;
    for (int e = 0; e < m_n; ++e) {
        const auto free = [&](int r) { return int(usable[r].size()) - avoiders[r][e]; };
        if (free(0) == 0)
            return quotedEnterprise(m_in.enterprises[e]) + QStringLiteral("所有组长都须回避。");
        if (m_in.settings.withDeputy && free(1) == 0)
            return quotedEnterprise(m_in.enterprises[e]) + QStringLiteral("所有副组长都须回避。");
        if (free(2) < m)
            return quotedEnterprise(m_in.enterprises[e])
                + QStringLiteral("不须回避的成员只有%1名，每组需要%2名。").arg(free(2)).arg(m);
    }
    return {};
}

bool Assigner::form(const Usable& usable)
{
    const qint64 m = m_in.settings.membersPerGroup;
    m_inspectors.assign(m_groups, {});
    const std::vector<int> leaders = shuffled(usable[0], m_random);
    for (int g = 0; g < m_groups; ++g)
        m_inspectors[g].push_back(leaders[g]);
    if (m_in.settings.withDeputy) {
        const std::vector<int> deputies = shuffled(usable[1], m_random);
        for (int g = 0; g < m_groups; ++g)
            m_inspectors[g].push_back(deputies[g]);
    }
    const std::vector<int> members = shuffled(usable[2], m_random);
    for (int g = 0; g < m_groups; ++g)
        m_inspectors[g].insert(m_inspectors[g].end(), members.begin() + g * m, members.begin() + (g + 1) * m);

    m_blockedFrom.assign(m_n + 1, 0);
    for (const std::vector<int>& crew : m_inspectors)
        for (const int i : crew)
            for (const int e : m_avoids[i])
                ++m_blockedFrom[e + 1];
    std::partial_sum(m_blockedFrom.begin(), m_blockedFrom.end(), m_blockedFrom.begin());
    m_blocked.resize(m_blockedFrom.back());
    std::vector<int> filled(m_blockedFrom.begin(), m_blockedFrom.end() - 1);
    for (int g = 0; g < m_groups; ++g)
        for (const int i : m_inspectors[g])
            for (const int e : m_avoids[i])
                m_blocked[filled[e]++] = g;

    std::vector<int> positions(m_n);
    for (int e = 0; e < m_n; ++e)
        positions[e] = e;
    m_order = shuffled(positions, m_random);

    std::vector<int> takenOut;
    m_placed.assign(m_groups, {});
    for (int g = 0, place = 0; g < m_groups; ++g)
        for (int end = place + m_quota[g]; place < end; ++place) {
            if (avoids(g, m_order[place]))
                takenOut.push_back(place);
            else
                m_placed[g].push_back(place);
        }
    for (const int place : takenOut)
        if (!putBack(place))
            return false;
    return true;
}

// One search of the README's step 5.4: breadth first, so a shortest chain of moves.
bool Assigner::putBack(int place)
{
    std::vector<char> queued(m_groups, 0);
    m_queue.clear();
    m_via.assign(m_groups, { -1, -1 });
    const auto queueFor = [&](int at, int from) {
        auto [blocked, end] = blocking(m_order[at]);
        for (int h = 0; h < m_groups; ++h) {
            while (blocked != end && *blocked < h)
                ++blocked;
            if (!queued[h] && (blocked == end || *blocked != h)) {
                queued[h] = 1;
                m_via[h] = { at, from };
                m_queue.push_back(h);
            }
        }
    };
    queueFor(place, -1);
    for (std::size_t next = 0; next < m_queue.size(); ++next) {
        const int g = m_queue[next];
        const auto& held = m_placed[g];
        if (int(held.size()) < m_quota[g]) {
            for (int h = g; h != -1;) {
                const auto [at, from] = m_via[h];
                auto& into = m_placed[h];
                into.insert(std::upper_bound(into.begin(), into.end(), at), at);
                if (from != -1) {
                    auto& out = m_placed[from];
                    out.erase(std::lower_bound(out.begin(), out.end(), at));
                }
                h = from;
            }
            return true;
        }
        // Once every group is queued, there is nothing left to reach.
        for (std::size_t k = 0; k < held.size() && int(m_queue.size()) < m_groups; ++k)
            queueFor(held[k], g);
    }
    m_failedPlace = place;
    return false;
}

QString Assigner::failure() const
{
    const QString name = m_in.enterprises[m_order[m_failedPlace]];
    const QString tried = QStringLiteral("（已试%1种分组）。").arg(MaxTaskFormations);
    if (m_queue.empty())
        return quotedEnterprise(name) + QStringLiteral("每个检查组都有须回避的人员") + tried;
    std::vector<int> groups = m_queue;
    std::sort(groups.begin(), groups.end());
    QStringList leaders;
    int places = 0;
    for (const int g : groups) {
        if (leaders.size() < 5)
            leaders.append(m_names[m_inspectors[g][0]]);
        places += m_quota[g];
    }
    const QString more = groups.size() > 5 ? QStringLiteral("等") : QString();
    return quotedEnterprise(name)
        + QStringLiteral("只能由组长为%1%2的%3个组检查，这些组的%4个名额已被同样只能去这些组的企业占满")
              .arg(leaders.join(QStringLiteral("、")), more)
              .arg(groups.size())
              .arg(places)
        + tried;
}

TaskAssignment Assigner::run()
{
    const TaskSettings& settings = m_in.settings;
    const auto fail = [](const QString& message) {
        TaskAssignment failed;
        failed.error = message;
        return failed;
    };
    if (m_n == 0)
        return fail(QStringLiteral("没有要分配的企业。"));
    if (settings.membersPerGroup < 1)
        return fail(QStringLiteral("每组成员至少1名。"));
    const bool perGroup = settings.shareOut == TaskSettings::ShareOut::PerGroup;
    if (perGroup && settings.enterprisesPerGroup < 1)
        return fail(QStringLiteral("每组企业数至少为1。"));

    TaskAssignment result;
    readAvoidances(result);
    Usable usable;
    int setAside[3] = {};
    std::vector<char> avoidsAll(m_roles.size(), 0);
    for (std::size_t i = 0; i < m_roles.size(); ++i) {
        const int r = int(m_roles[i]);
        avoidsAll[i] = int(m_avoids[i].size()) == m_n;
        if (r == 1 && !settings.withDeputy)
            continue;
        if (avoidsAll[i])
            ++setAside[r];
        else
            usable[r].push_back(int(i));
    }

    const qint64 m = settings.membersPerGroup;
    const auto count = [&](int r) { return qint64(usable[r].size()); };
    if (perGroup) {
        const qint64 k = settings.enterprisesPerGroup;
        const qint64 groups = (m_n + k - 1) / k;
        const QString need = QStringLiteral("企业共%1家，每组%2家需要%3个检查组").arg(m_n).arg(k).arg(groups);
        for (int r = 0; r < 2; ++r)
            if ((r == 0 || settings.withDeputy) && count(r) < groups)
                return fail(need
                            + QStringLiteral("，但可派的%1只有%2名%3。")
                                  .arg(roleName(InspectorRole(r)))
                                  .arg(count(r))
                                  .arg(setAsideNote(setAside[r])));
        if (count(2) < groups * m)
            return fail(need
                        + QStringLiteral("、%1名成员，但可派的成员只有%2名%3。")
                              .arg(groups * m)
                              .arg(count(2))
                              .arg(setAsideNote(setAside[2])));
        m_groups = int(groups);
        m_quota.assign(m_groups, int(k));
        m_quota.back() = m_n - int((groups - 1) * k);
    } else {
        qint64 groups = std::min({ count(0), count(2) / m, qint64(m_n) });
        if (settings.withDeputy)
            groups = std::min(groups, count(1));
        if (count(0) == 0)
            return fail(QStringLiteral("没有可派的组长%1。").arg(setAsideNote(setAside[0])));
        if (settings.withDeputy && count(1) == 0)
            return fail(QStringLiteral("没有可派的副组长%1。").arg(setAsideNote(setAside[1])));
        if (groups == 0)
            return fail(QStringLiteral("可派的成员不足%1名%2。").arg(m).arg(setAsideNote(setAside[2])));
        m_groups = int(groups);
        m_quota.assign(m_groups, m_n / m_groups);
        for (int g = 0; g < m_n % m_groups; ++g)
            ++m_quota[g];
    }
    if (const QString problem = checkEnterprises(usable); !problem.isEmpty())
        return fail(problem);

    bool formed = false;
    while (!formed && result.formations < MaxTaskFormations) {
        ++result.formations;
        formed = form(usable);
    }
    if (!formed)
        return fail(failure());

    std::vector<char> sent(m_roles.size(), 0);
    for (int g = 0; g < m_groups; ++g) {
        const std::vector<int>& who = m_inspectors[g];
        TaskGroup group;
        std::size_t next = 0;
        group.leader = m_names[who[next++]];
        if (settings.withDeputy)
            group.deputy = m_names[who[next++]];
        for (; next < who.size(); ++next)
            group.members.append(m_names[who[next]]);
        for (const int i : who)
            sent[i] = 1;
        std::vector<int> enterprises;
        for (const int place : m_placed[g])
            enterprises.push_back(m_order[place]);
        std::sort(enterprises.begin(), enterprises.end());
        for (const int e : enterprises)
            group.enterprises.append(m_in.enterprises[e]);
        result.groups.append(group);
    }
    for (std::size_t i = 0; i < m_roles.size(); ++i)
        if (!sent[i])
            result.spare.append({ m_roles[i], m_names[i], avoidsAll[i] != 0 });
    return result;
}

} // namespace

TaskAssignment assignTasks(const TaskInput& input, IRandom& random)
{
    return Assigner(input, random).run();
}

ShuffleSeed taskSeedAfterWitness(const ShuffleSeed& witnessedSeed)
{
    static constexpr char Label[] = "pelorin-task-assignment-v1"; // with its closing 0x00
    Sha256 hash;
    hash.add(reinterpret_cast<const unsigned char*>(Label), sizeof Label);
    hash.add(witnessedSeed.bytes.data(), witnessedSeed.bytes.size());
    const std::array<unsigned char, 32> digest = hash.result();
    ShuffleSeed seed;
    std::copy(digest.begin(), digest.end(), seed.bytes.begin());
    return seed;
}

} // namespace pelorin
