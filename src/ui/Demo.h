#pragma once

#include <QString>

namespace pelorin {

// Walks the whole road of a draw through the real main window, without a person: import the sample
// enterprises and last year's drawn names, strike those out, draw three names with timed stops, export
// the category and all categories, copy the results. Leaves pictures and workbooks in folder and
// prints a summary. Returns the process exit code.
int runDemo(const QString& folder);

} // namespace pelorin
