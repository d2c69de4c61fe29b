#pragma once

#include <QStringList>

namespace pelorin {

// The candidates left after every history name, in order, has removed the first equal candidate still
// present. Names match only when equal code unit for code unit. Linear in the sizes of both lists.
QStringList excludeHistory(const QStringList& candidates, const QStringList& history);

// The names of candidates that kept, an order-keeping selection of them, leaves out, in list order.
QStringList removedNames(const QStringList& candidates, const QStringList& kept);

} // namespace pelorin
