#include "lists/ListFingerprint.h"

#include <QCryptographicHash>

namespace pelorin {

QString listFingerprint(const QStringList& names)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray line;
    for (const QString& name : names) {
        line = name.toUtf8();
        line.append('\n');
        hash.addData(line);
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace pelorin
