#pragma once

#include <QString>

namespace pelorin::files {

// The reason a file could not be read or written, in words for the user: the system's own text (as Qt
// reports it, e.g. "No space left on device") turned into Chinese. A reason not known here keeps its text
// as a detail after a Chinese one; a text that is Chinese already stays as it is.
QString reasonOf(const QString& systemText);

// The same for an error number of the C library (errno).
QString reasonOfErrno(int code);

} // namespace pelorin::files
