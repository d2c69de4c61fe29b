#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelorin {

// The fingerprint of a list: SHA-256 over, for each name in list order, the number of bytes of its UTF-8 form
// as a 4-byte big-endian integer followed by those bytes; 64 lower-case hexadecimal digits. No two different
// lists of valid names share the bytes hashed, whatever characters the names hold.
QString listFingerprint(const QStringList& names);

// The fingerprint of records of format version 1: each name in UTF-8 followed by a line feed (an unpaired
// surrogate as "?"), as `printf '%s\n' NAME... | sha256sum`. A name holding a line feed makes it ambiguous.
QString listFingerprintV1(const QStringList& names);

// The bytes a name adds to its list's fingerprint, in the form of a format version (1 or 2): for a check
// that hashes one list many times over.
QByteArray fingerprintPiece(const QString& name, int version);

// False when text holds a surrogate that is not part of a pair: no UTF-8 text can hold it.
bool isValidUnicode(const QString& text);

} // namespace pelorin
