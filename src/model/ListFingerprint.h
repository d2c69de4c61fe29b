#pragma once

#include <QString>
#include <QStringList>

namespace pelorin {

// The fingerprint of a list: SHA-256 of its names in list order, each in UTF-8 followed by a line feed,
// as 64 lower-case hexadecimal digits. The same as `printf '%s\n' NAME... | sha256sum`.
QString listFingerprint(const QStringList& names);

} // namespace pelorin
