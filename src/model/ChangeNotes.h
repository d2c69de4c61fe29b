#pragma once

#include <QString>

namespace pelorin {

// Keys of the facts a shuffle adds to its command's change.
namespace shufflenotes {
inline const QString Seed = QStringLiteral("shuffleSeed");
inline const QString Fingerprint = QStringLiteral("fingerprint");
inline const QString Count = QStringLiteral("candidates");
} // namespace shufflenotes

// Keys of the facts a start and a stop add to their command's change.
namespace drawnotes {
inline const QString Speed = QStringLiteral("speed"); // degrees per tick
inline const QString SlowStopOption = QStringLiteral("slowStopOption"); // 随机缓停 ticked at the start
inline const QString Name = QStringLiteral("name"); // the drawn name
inline const QString Sector = QStringLiteral("sector"); // its sector, 1 to wheelCount
inline const QString WheelCount = QStringLiteral("wheelCount");
inline const QString Angle = QStringLiteral("angle"); // the pointer at the stop, degrees within the lap
inline const QString Steps = QStringLiteral("steps"); // the same in steps of 1/wheelCount degree
// Where the pointer stood when the name box last changed; the same as steps unless the pointer had just
// passed into the stretch below the first sector, where the name box keeps its text.
inline const QString ShownSteps = QStringLiteral("shownSteps");
inline const QString SlowStop = QStringLiteral("slowStop"); // true when the name was taken after a run-out
inline const QString SlowStopPressAngle = QStringLiteral("slowStopPressAngle");
inline const QString SlowStopTurn = QStringLiteral("slowStopTurn"); // the further turn, in steps
} // namespace drawnotes

// Keys of the facts of a witnessed draw (见证摇号).
namespace witnessnotes {
inline const QString Commitment = QStringLiteral("commitment"); // SHA-256 of the program's secret
inline const QString Text = QStringLiteral("witnessText"); // what the witnesses gave
inline const QString Secret = QStringLiteral("secret"); // revealed after the witnesses spoke
inline const QString Seed = QStringLiteral("witnessSeed"); // the opening's seed
inline const QString Witnessed = QStringLiteral("witnessed"); // a start or stop took its pick from that seed
inline const QString Draws = QStringLiteral("draws"); // the picks the ceremony is for
// The window closed after every pick was drawn, or before: how many were drawn in the ceremony.
inline const QString Completed = QStringLiteral("completed");
inline const QString Abandoned = QStringLiteral("abandoned");
// A substitute (替补): the name withdrawn from the results, and why; the substitute is noted as a drawn name.
inline const QString Withdrawn = QStringLiteral("withdrawn");
inline const QString Reason = QStringLiteral("reason");
} // namespace witnessnotes

// Keys of the facts the list commands add.
namespace listnotes {
inline const QString File = QStringLiteral("file"); // an import's workbook, its bare name
inline const QString Sha256 = QStringLiteral("sha256"); // of that workbook's bytes
inline const QString Removed = QStringLiteral("removed"); // the names an exclusion struck
} // namespace listnotes

} // namespace pelorin
