// Feeds arbitrary bytes to the draw record's verifier: it must answer holds, broken or no record, never
// crash or hang. A changed byte breaks the hash chain at once, so each input is also verified once more
// with its chain written anew, which lets the fuzzer reach the replay of lists, shuffles and stops.
#include "record/RecordFormat.h"
#include "record/RecordVerifier.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>

namespace {

void verify(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    (void)pelorin::record::verifyRecord(buffer);
}

QByteArray rechained(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    QByteArray out;
    QByteArray previous;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i > 0) {
            QJsonObject object = QJsonDocument::fromJson(line).object();
            if (!object.isEmpty()) {
                object.insert(QStringLiteral("prev"), pelorin::record::lineHash(previous));
                line = pelorin::record::canonicalLine(object);
            }
        }
        out += line;
        if (i + 1 < lines.size())
            out += '\n';
        previous = line;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    verify(bytes);
    verify(rechained(bytes));
    return 0;
}
