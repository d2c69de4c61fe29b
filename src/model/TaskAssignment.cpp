#include "model/TaskAssignment.h"

#include "model/Sha256.h"
#include "model/Shuffle.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace pelorin {

namespace {

using Words = std::vector<std::uint64_t>;
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
    const std::vector<int> order = shuffledOrder(static_cast<int>(items.size()), random);
    if (order.empty())
        return items;
    std::vector<int> result;
    result.reserve(items.size());
    for (const int k : order)
        result.push_back(items[static_cast<std::size_t>(k)]);
    return result;
}

// Inspectors and enterprises by index, the avoidances as one row of bits (one per enterprise) per inspector.
class Assigner
{
public:
    Assigner(const TaskInput& input, IRandom& random)
        : m_in(input)
        , m_random(random)
        , m_n(static_cast<int>(input.enterprises.size()))
        , m_words(static_cast<std::size_t>((m_n + 63) / 64))
    {
        for (const auto& [role, list] : { std::pair { InspectorRole::Leader, &input.leaders },
                                          std::pair { InspectorRole::Deputy, &input.deputies },
                                          std::pair { InspectorRole::Member, &input.members } })
            for (const QString& name : *list) {
                m_roles.push_back(role);
                m_names.push_back(name);
            }
        m_avoid.assign(m_roles.size() * m_words, 0);
    }

    TaskAssignment run();

private:
    bool avoids(const Words& rows, std::size_t row, int enterprise) const
    {
        return (rows[row * m_words + static_cast<std::size_t>(enterprise) / 64] >> (enterprise % 64)) & 1;
    }
    void readAvoidances(TaskAssignment& result);
    QString checkEnterprises(const Usable& usable) const;
    bool form(const Usable& usable);
    bool putBack(int place);
    QString failure() const;

    const TaskInput& m_in;
    IRandom& m_random;
    const int m_n;
    const std::size_t m_words;
    std::vector<InspectorRole> m_roles;
    std::vector<QString> m_names;
    Words m_avoid;

    // The formation being tried.
    int m_groups = 0;
    std::vector<int> m_quota;
    std::vector<std::vector<int>> m_inspectors; // per group: 组长, 副组长, 成员
    Words m_groupAvoid;
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
        inspectors[m_names[i]].push_back(static_cast<int>(i));
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
            for (const int e : *what)
                m_avoid[static_cast<std::size_t>(i) * m_words + static_cast<std::size_t>(e) / 64] |= std::uint64_t(1)
                    << (e % 64);
    }
}

QString Assigner::checkEnterprises(const Usable& usable) const
{
    std::array<std::vector<int>, 3> avoiders;
    for (int r = 0; r < 3; ++r) {
        avoiders[r].assign(static_cast<std::size_t>(m_n), 0);
        for (const int i : usable[r])
            for (std::size_t w = 0; w < m_words; ++w)
                for (std::uint64_t bits = m_avoid[static_cast<std::size_t>(i) * m_words + w]; bits != 0;
                     bits &= bits - 1)
                    ++avoiders[r][w * 64 + static_cast<std::size_t>(std::countr_zero(bits))];
    }
    const int m = m_in.settings.membersPerGroup;
    for (int e = 0; e < m_n; ++e) {
        const auto free = [&](int r) { return static_cast<int>(usable[r].size()) - avoiders[r][e]; };
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
    const auto g0 = static_cast<std::size_t>(m_groups);
    const auto m = static_cast<std::size_t>(m_in.settings.membersPerGroup);
    m_inspectors.assign(g0, {});
    const std::vector<int> leaders = shuffled(usable[0], m_random);
    for (std::size_t g = 0; g < g0; ++g)
        m_inspectors[g].push_back(leaders[g]);
    if (m_in.settings.withDeputy) {
        const std::vector<int> deputies = shuffled(usable[1], m_random);
        for (std::size_t g = 0; g < g0; ++g)
            m_inspectors[g].push_back(deputies[g]);
    }
    const std::vector<int> members = shuffled(usable[2], m_random);
    for (std::size_t g = 0; g < g0; ++g)
        m_inspectors[g].insert(m_inspectors[g].end(), members.begin() + static_cast<std::ptrdiff_t>(g * m),
                               members.begin() + static_cast<std::ptrdiff_t>((g + 1) * m));

    m_groupAvoid.assign(g0 * m_words, 0);
    for (std::size_t g = 0; g < g0; ++g)
        for (const int i : m_inspectors[g])
            for (std::size_t w = 0; w < m_words; ++w)
                m_groupAvoid[g * m_words + w] |= m_avoid[static_cast<std::size_t>(i) * m_words + w];

    std::vector<int> positions(static_cast<std::size_t>(m_n));
    for (int e = 0; e < m_n; ++e)
        positions[static_cast<std::size_t>(e)] = e;
    m_order = shuffled(positions, m_random);

    std::vector<int> takenOut;
    m_placed.assign(g0, {});
    for (int g = 0, place = 0; g < m_groups; ++g)
        for (int end = place + m_quota[static_cast<std::size_t>(g)]; place < end; ++place) {
            if (avoids(m_groupAvoid, static_cast<std::size_t>(g), m_order[static_cast<std::size_t>(place)]))
                takenOut.push_back(place);
            else
                m_placed[static_cast<std::size_t>(g)].push_back(place);
        }
    for (const int place : takenOut)
        if (!putBack(place))
            return false;
    return true;
}

// One search of the README's step 5.4: breadth first, so a shortest chain of moves.
bool Assigner::putBack(int place)
{
    const auto g0 = static_cast<std::size_t>(m_groups);
    std::vector<char> queued(g0, 0);
    m_queue.clear();
    m_via.assign(g0, { -1, -1 });
    const auto queueFor = [&](int at, int from) {
        const int enterprise = m_order[static_cast<std::size_t>(at)];
        for (std::size_t h = 0; h < g0; ++h)
            if (!queued[h] && !avoids(m_groupAvoid, h, enterprise)) {
                queued[h] = 1;
                m_via[h] = { at, from };
                m_queue.push_back(static_cast<int>(h));
            }
    };
    queueFor(place, -1);
    for (std::size_t next = 0; next < m_queue.size(); ++next) {
        const int g = m_queue[next];
        const auto& held = m_placed[static_cast<std::size_t>(g)];
        if (static_cast<int>(held.size()) < m_quota[static_cast<std::size_t>(g)]) {
            for (int h = g; h != -1;) {
                const auto [at, from] = m_via[static_cast<std::size_t>(h)];
                auto& into = m_placed[static_cast<std::size_t>(h)];
                into.insert(std::upper_bound(into.begin(), into.end(), at), at);
                if (from != -1) {
                    auto& out = m_placed[static_cast<std::size_t>(from)];
                    out.erase(std::lower_bound(out.begin(), out.end(), at));
                }
                h = from;
            }
            return true;
        }
        for (std::size_t k = 0; k < held.size(); ++k)
            queueFor(held[k], g);
    }
    m_failedPlace = place;
    return false;
}

QString Assigner::failure() const
{
    const QString name = m_in.enterprises[m_order[static_cast<std::size_t>(m_failedPlace)]];
    const QString tried = QStringLiteral("（已试%1种分组）。").arg(MaxTaskFormations);
    if (m_queue.empty())
        return quotedEnterprise(name) + QStringLiteral("每个检查组都有须回避的人员") + tried;
    std::vector<int> groups = m_queue;
    std::sort(groups.begin(), groups.end());
    QStringList leaders;
    int places = 0;
    for (const int g : groups) {
        if (leaders.size() < 5)
            leaders.append(m_names[static_cast<std::size_t>(m_inspectors[static_cast<std::size_t>(g)][0])]);
        places += m_quota[static_cast<std::size_t>(g)];
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
        int count = 0;
        for (std::size_t w = 0; w < m_words; ++w)
            count += std::popcount(m_avoid[i * m_words + w]);
        const int r = static_cast<int>(m_roles[i]);
        avoidsAll[i] = count == m_n;
        if (r == 1 && !settings.withDeputy)
            continue;
        if (avoidsAll[i])
            ++setAside[r];
        else
            usable[r].push_back(static_cast<int>(i));
    }

    const qint64 m = settings.membersPerGroup;
    const auto count = [&](int r) { return static_cast<qint64>(usable[r].size()); };
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
        m_groups = static_cast<int>(groups);
        m_quota.assign(static_cast<std::size_t>(m_groups), static_cast<int>(k));
        m_quota.back() = m_n - static_cast<int>((groups - 1) * k);
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
        m_groups = static_cast<int>(groups);
        m_quota.assign(static_cast<std::size_t>(m_groups), m_n / m_groups);
        for (int g = 0; g < m_n % m_groups; ++g)
            ++m_quota[static_cast<std::size_t>(g)];
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
        const std::vector<int>& who = m_inspectors[static_cast<std::size_t>(g)];
        TaskGroup group;
        std::size_t next = 0;
        group.leader = m_names[static_cast<std::size_t>(who[next++])];
        if (settings.withDeputy)
            group.deputy = m_names[static_cast<std::size_t>(who[next++])];
        for (; next < who.size(); ++next)
            group.members.append(m_names[static_cast<std::size_t>(who[next])]);
        for (const int i : who)
            sent[static_cast<std::size_t>(i)] = 1;
        std::vector<int> enterprises;
        for (const int place : m_placed[static_cast<std::size_t>(g)])
            enterprises.push_back(m_order[static_cast<std::size_t>(place)]);
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
