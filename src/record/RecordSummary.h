#pragma once

#include "model/Categories.h"
#include "model/TaskAssignment.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace pelorin::record {

// One name drawn, with the wheel it was drawn from.
struct DrawnName
{
    QString name;
    int sector = 0; // 1 to wheelCount
    int wheelCount = 0; // candidates on the wheel
    QString startTime; // local time with offset, as recorded
    QString stopTime;
    QString fingerprint; // of the candidate list before the start's shuffle
    QString seed; // of the start's shuffle
    bool slowStop = false; // taken where the pointer came to rest after a run-out
    bool witnessed = false; // its sector the next pick of a witnessed draw's stream
    QString roomCode; // of the stop's line, as the draw window and the projector showed it: "1a2b 3c4d"
};

// A name that entered or left the results, in the order it happened.
struct ResultChange
{
    enum class Kind
    {
        Drawn,
        HandedBack, // 撤回: back among the candidates
        Cleared, // 清除: gone from the results, not handed back
        Withdrawn, // 替补撤下: withdrawn for a substitute
        Substitute, // 替补摇出: drawn as a substitute
    };
    Kind kind = Kind::Drawn;
    QString name;
    QString time; // local time with offset, as recorded
};

// What a record says of one category.
struct CategoryDraws
{
    // Where the candidates came from: workbook file names, and "手工录入" for names typed or pasted.
    QStringList sources;
    std::vector<DrawnName> draws; // in the order they were drawn
    int withdrawn = 0; // results later handed back or cleared
    std::vector<ResultChange> resultChanges; // every name drawn, handed back or cleared, in order
    QStringList results; // the result list at the end of the record
};

// A witnessed draw (见证摇号): the program's commitment, the witnesses' text, the secret revealed, and what
// was drawn from the seed they make.
struct WitnessedDraw
{
    enum class End
    {
        Completed, // every pick drawn
        Abandoned, // the draw window closed before
        CutShort, // no closing at all: the program was cut short, or other commands followed
    };
    Category category = 0;
    QString commitTime; // local time with offset, as recorded
    QString commitment;
    QString fingerprint;
    int candidates = 0;
    int draws = 0; // the picks it was for
    QString witnessText; // empty until given
    QString secret; // empty until revealed
    QString seed;
    QStringList drawn; // in order
    End end = End::CutShort;
    // Every use of its stream in order: a shuffle of so many names (a start), or a pick from 1 to so many (a
    // stop, a substitute). Replayed on the seed's stream they leave it where the record left it.
    struct Step
    {
        bool shuffle = false;
        int count = 0;
    };
    std::vector<Step> steps;
    bool substitutesOpen = false; // its stream still draws the next substitute at the record's end
};

// A name withdrawn from the results and its substitute, the next pick of its ceremony's stream.
struct Substitute
{
    Category category = 0;
    QString withdrawn;
    QString reason;
    QString name;
    int sector = 0;
    int wheelCount = 0;
    QString time;
};

// An inspection task assignment (检查任务分配), recomputed from the results as they stood and its seed.
struct AssignedTasks
{
    QString time; // local time with offset, as recorded
    QString seed;
    bool afterWitness = false; // the seed followed from a completed 见证摇号's
    TaskSettings settings;
    QList<Category> categories; // of the enterprises
    int avoidances = 0; // pairs given
    QString avoidancesFingerprint;
    QList<TaskGroup> groups;
    QList<SpareInspector> spare;
    QList<Avoidance> unmatched;
    int formations = 0;
};

// One group of an assignment in a line: "第1组：组长 甲；副组长 乙；成员 丙、丁；企业 A、B", invisible
// characters shown.
QString taskGroupText(const TaskGroup& group, int number);
// The inspectors an assignment sent nowhere, with their roles: "组长 甲（须回避全部企业）、成员 乙".
QString spareText(const QList<SpareInspector>& spare);

// What an assignment was made from and how: "每组成员 3 名，有副组长，平均分配；企业：重点企业、一般企业；回避 12 对".
QString assignmentSettingsText(const AssignedTasks& tasks);

// A verified record, as the record sheet shows it.
struct RecordSummary
{
    QString programVersion;
    QString sessionStarted; // UTC
    QString sessionStartedLocal;
    std::array<CategoryDraws, CategoryCount> categories;
    int lines = 0;
    int events = 0;
    int shuffles = 0; // shuffles recomputed from their seeds, those of the starts included
    int starts = 0;
    int stops = 0;
    int unfinishedStarts = 0; // starts whose wheel went without a stop: the window closed, the program cut short
    std::vector<WitnessedDraw> witnessed;
    std::vector<Substitute> substitutes;
    std::vector<AssignedTasks> assignments;
    int formatVersion = 0;
    QStringList invisibleNames; // names holding invisible or control characters, each once
    int workbooksChecked = 0; // imports whose workbook was found and read again
    QStringList unchecked; // what the record's format could not show, in Chinese
    QString checkCode;
};

} // namespace pelorin::record
