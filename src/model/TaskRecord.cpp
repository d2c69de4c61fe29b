#include "model/TaskRecord.h"

#include "model/ListFingerprint.h"

#include <QJsonArray>

namespace pelorin {

namespace {

const std::array<QString, 4> ListKeys = { QStringLiteral("leaders"), QStringLiteral("deputies"),
                                          QStringLiteral("members"), QStringLiteral("enterprises") };

QJsonArray pairsOf(const QList<Avoidance>& pairs)
{
    QJsonArray array;
    for (const Avoidance& pair : pairs)
        array.append(QJsonArray { pair.inspector, pair.enterprise });
    return array;
}

std::optional<QList<Avoidance>> pairsFrom(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QList<Avoidance> pairs;
    for (const QJsonValue& item : value.toArray()) {
        const QJsonArray pair = item.toArray();
        if (!item.isArray() || pair.size() != 2 || !pair[0].isString() || !pair[1].isString())
            return std::nullopt;
        pairs.append({ pair[0].toString(), pair[1].toString() });
    }
    return pairs;
}

std::optional<QStringList> namesFrom(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList names;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        names.append(item.toString());
    }
    return names;
}

} // namespace

QString avoidancesFingerprint(const QList<Avoidance>& avoidances)
{
    QStringList names;
    names.reserve(2 * avoidances.size());
    for (const Avoidance& pair : avoidances)
        names << pair.inspector << pair.enterprise;
    return listFingerprint(names);
}

QJsonObject assignmentDetails(const KeptAssignment& kept)
{
    const TaskSettings& s = kept.settings;
    const bool even = s.shareOut == TaskSettings::ShareOut::Even;
    QJsonArray categories;
    for (const Category c : kept.categories)
        categories.append(c);
    QJsonObject fingerprints;
    for (std::size_t i = 0; i < ListKeys.size(); ++i)
        fingerprints.insert(ListKeys[i], kept.fingerprints[i]);
    QJsonArray groups;
    for (const TaskGroup& g : kept.result.groups)
        groups.append(QJsonObject { { QStringLiteral("leader"), g.leader },
                                    { QStringLiteral("deputy"), g.deputy },
                                    { QStringLiteral("members"), QJsonArray::fromStringList(g.members) },
                                    { QStringLiteral("enterprises"), QJsonArray::fromStringList(g.enterprises) } });
    QJsonArray spare;
    for (const SpareInspector& x : kept.result.spare)
        spare.append(QJsonObject { { QStringLiteral("category"), static_cast<int>(x.role) },
                                   { QStringLiteral("name"), x.name },
                                   { QStringLiteral("setAside"), x.avoidsEveryEnterprise } });
    return {
        { tasknotes::Seed, kept.seed.hex() },
        { tasknotes::AfterWitness, kept.afterWitness },
        { tasknotes::MembersPerGroup, s.membersPerGroup },
        { tasknotes::WithDeputy, s.withDeputy },
        { tasknotes::ShareOut, even ? QStringLiteral("even") : QStringLiteral("perGroup") },
        { tasknotes::EnterprisesPerGroup, even ? 0 : s.enterprisesPerGroup },
        { tasknotes::Categories, categories },
        { tasknotes::Avoidances, pairsOf(kept.avoidances) },
        { tasknotes::AvoidancesFingerprint, avoidancesFingerprint(kept.avoidances) },
        { tasknotes::Fingerprints, fingerprints },
        { tasknotes::Groups, groups },
        { tasknotes::Spare, spare },
        { tasknotes::Unmatched, pairsOf(kept.result.unmatched) },
        { tasknotes::Formations, kept.result.formations },
    };
}

std::optional<KeptAssignment> assignmentFromDetails(const QJsonObject& d)
{
    KeptAssignment kept;
    const std::optional<ShuffleSeed> seed = ShuffleSeed::fromHex(d.value(tasknotes::Seed).toString());
    const QString shareOut = d.value(tasknotes::ShareOut).toString();
    if (!seed || !d.value(tasknotes::AfterWitness).isBool() || !d.value(tasknotes::WithDeputy).isBool()
        || (shareOut != QLatin1String("even") && shareOut != QLatin1String("perGroup")))
        return std::nullopt;
    kept.seed = *seed;
    kept.afterWitness = d.value(tasknotes::AfterWitness).toBool();
    kept.settings.membersPerGroup = d.value(tasknotes::MembersPerGroup).toInt();
    kept.settings.withDeputy = d.value(tasknotes::WithDeputy).toBool();
    kept.settings.shareOut
        = shareOut == QLatin1String("even") ? TaskSettings::ShareOut::Even : TaskSettings::ShareOut::PerGroup;
    kept.settings.enterprisesPerGroup = d.value(tasknotes::EnterprisesPerGroup).toInt();
    for (const QJsonValue& c : d.value(tasknotes::Categories).toArray())
        kept.categories.append(c.toInt());
    const std::optional<QList<Avoidance>> pairs = pairsFrom(d.value(tasknotes::Avoidances));
    const std::optional<QList<Avoidance>> unmatched = pairsFrom(d.value(tasknotes::Unmatched));
    if (!pairs || !unmatched)
        return std::nullopt;
    kept.avoidances = *pairs;
    kept.result.unmatched = *unmatched;
    const QJsonObject fingerprints = d.value(tasknotes::Fingerprints).toObject();
    for (std::size_t i = 0; i < ListKeys.size(); ++i)
        kept.fingerprints[i] = fingerprints.value(ListKeys[i]).toString();
    for (const QJsonValue& item : d.value(tasknotes::Groups).toArray()) {
        const QJsonObject g = item.toObject();
        const std::optional<QStringList> members = namesFrom(g.value(QStringLiteral("members")));
        const std::optional<QStringList> enterprises = namesFrom(g.value(QStringLiteral("enterprises")));
        if (!item.isObject() || !members || !enterprises)
            return std::nullopt;
        kept.result.groups.append({ g.value(QStringLiteral("leader")).toString(),
                                    g.value(QStringLiteral("deputy")).toString(), *members, *enterprises });
    }
    for (const QJsonValue& item : d.value(tasknotes::Spare).toArray()) {
        const QJsonObject x = item.toObject();
        const int role = x.value(QStringLiteral("category")).toInt(-1);
        if (!item.isObject() || role < 0 || role > 2)
            return std::nullopt;
        kept.result.spare.append({ static_cast<InspectorRole>(role), x.value(QStringLiteral("name")).toString(),
                                   x.value(QStringLiteral("setAside")).toBool() });
    }
    kept.result.formations = d.value(tasknotes::Formations).toInt();
    return kept;
}

} // namespace pelorin
