#pragma once

#include "model/Categories.h"
#include "model/ShuffleSeed.h"
#include "model/TaskAssignment.h"

#include <QJsonObject>
#include <QList>
#include <array>
#include <optional>

namespace pelorin {

// Keys of the facts an assignment (检查任务分配) adds to its command's change.
namespace tasknotes {
inline const QString Seed = QStringLiteral("seed");
inline const QString AfterWitness = QStringLiteral("afterWitness"); // the seed follows from a 见证摇号's
inline const QString MembersPerGroup = QStringLiteral("membersPerGroup");
inline const QString WithDeputy = QStringLiteral("withDeputy");
inline const QString ShareOut = QStringLiteral("shareOut"); // "even" or "perGroup"
inline const QString EnterprisesPerGroup = QStringLiteral("enterprisesPerGroup"); // k; 0 with "even"
inline const QString Categories = QStringLiteral("categories"); // the enterprises' categories, ascending
inline const QString Avoidances = QStringLiteral("avoidances"); // [inspector, enterprise] pairs as given
inline const QString AvoidancesFingerprint = QStringLiteral("avoidancesFingerprint");
inline const QString Fingerprints = QStringLiteral("fingerprints"); // of the four input lists
inline const QString Groups = QStringLiteral("groups");
inline const QString Spare = QStringLiteral("spare");
inline const QString Unmatched = QStringLiteral("unmatched");
inline const QString Formations = QStringLiteral("formations");
} // namespace tasknotes

// The drawn names an assignment starts from: 组长, 副组长, 成员 and the enterprises, in that order.
using TaskLists = std::array<QStringList, 4>;

// An assignment as it was made and recorded: its seed, settings, categories of enterprises, the avoidance
// pairs as given, the fingerprints of the four input lists, and what came of it.
struct KeptAssignment
{
    ShuffleSeed seed;
    bool afterWitness = false;
    TaskSettings settings;
    QList<Category> categories; // of the enterprises, ascending, each 3 to 6
    QList<Avoidance> avoidances;
    std::array<QString, 4> fingerprints; // of the TaskLists
    TaskAssignment result;
};

// The 回避 list's fingerprint: the list fingerprint of inspector, enterprise, inspector, enterprise, … in the
// order given.
QString avoidancesFingerprint(const QList<Avoidance>& avoidances);

// The details of the assign command's record line, exactly as the README's "检查任务分配 in the record" gives
// them.
QJsonObject assignmentDetails(const KeptAssignment& kept);
// Reads them back (a restore); nullopt when they are not an assignment's details.
std::optional<KeptAssignment> assignmentFromDetails(const QJsonObject& details);

} // namespace pelorin
