#pragma once

#include "model/ShuffleSeed.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pelorin {

class IRandom;

enum class InspectorRole
{
    Leader,
    Deputy,
    Member
};

// An inspector who must stand aside (回避) from an enterprise, both by name.
struct Avoidance
{
    QString inspector;
    QString enterprise;
    friend bool operator==(const Avoidance&, const Avoidance&) = default;
};

struct TaskSettings
{
    enum class ShareOut
    {
        Even,
        PerGroup
    };
    int membersPerGroup = 1; // at least 1: every enterprise gets at least two inspectors
    bool withDeputy = false;
    ShareOut shareOut = ShareOut::Even;
    int enterprisesPerGroup = 1; // with PerGroup, at least 1
};

// The drawn names in drawn order; two entries may share a name, and an avoidance applies to all of them.
struct TaskInput
{
    QStringList leaders;
    QStringList deputies;
    QStringList members;
    QStringList enterprises;
    QList<Avoidance> avoidances;
    TaskSettings settings;
};

struct TaskGroup
{
    QString leader;
    QString deputy; // empty without 副组长
    QStringList members; // in dealt order
    QStringList enterprises; // in drawn order
    friend bool operator==(const TaskGroup&, const TaskGroup&) = default;
};

struct SpareInspector
{
    InspectorRole role;
    QString name;
    bool avoidsEveryEnterprise = false; // set aside, rather than one too many
    friend bool operator==(const SpareInspector&, const SpareInspector&) = default;
};

// Either error (Chinese: who is short, or which enterprise cannot be covered and why) and nothing else, or the
// rest.
struct TaskAssignment
{
    QString error;
    QList<TaskGroup> groups;
    QList<SpareInspector> spare; // 组长, 副组长, 成员, each in drawn order
    QList<Avoidance> unmatched; // the avoidances that name no drawn inspector or no drawn enterprise
    int formations = 0; // how many formations were tried

    bool ok() const { return error.isEmpty(); }
};

// The most formations tried before the assignment gives up.
constexpr int MaxTaskFormations = 100;

// Forms the groups and shares out the enterprises, every pick from random, exactly as the README's
// "检查任务分配: the algorithm" describes: nobody is sent to an enterprise they avoid, and without
// avoidances every enterprise is equally likely to go with each inspector of a role.
TaskAssignment assignTasks(const TaskInput& input, IRandom& random);

// The seed of an assignment after a 见证摇号: SHA-256 of "pelorin-task-assignment-v1", a 0x00 byte and the
// ceremony's 32-byte seed: not that seed's own stream, which gave the ceremony's picks and goes on for its
// substitutes.
ShuffleSeed taskSeedAfterWitness(const ShuffleSeed& witnessedSeed);

} // namespace pelorin
