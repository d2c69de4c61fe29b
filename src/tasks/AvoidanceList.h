#pragma once

#include "model/TaskAssignment.h"

#include <QList>
#include <QString>
#include <optional>

namespace pelorin {

// The 回避 list read from a workbook, as the task window shows it until another one is read.
struct AvoidanceList
{
    QList<Avoidance> pairs; // in the workbook's row order
    QString fileName; // of the workbook; empty when none was read
    QString sha256; // of the workbook's bytes, 64 lower-case hexadecimal digits
};

// Typed 回避 pairs: one a line, the inspector, then a tab, a comma (, or ，) or 、, then the enterprise; both
// trimmed, empty lines skipped. nullopt with the reason in Chinese in error when a line is no such pair.
std::optional<QList<Avoidance>> parseTypedAvoidances(const QString& text, QString* error);

} // namespace pelorin
