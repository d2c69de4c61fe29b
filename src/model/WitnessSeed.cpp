#include "model/WitnessSeed.h"

#include "model/SeededStream.h"
#include "model/Shuffle.h"

#include <QByteArray>
#include <sodium.h>

namespace pelorin::witness {

namespace {

QString hexOf(const unsigned char* bytes, std::size_t size)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size)).toHex());
}

} // namespace

QString commitmentOf(const ShuffleSeed& secret)
{
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, secret.bytes.data(), secret.bytes.size());
    return hexOf(digest, sizeof digest);
}

std::optional<ShuffleSeed> seedOf(const ShuffleSeed& secret, const QString& witnessText, const QString& fingerprint)
{
    const std::optional<ShuffleSeed> list = ShuffleSeed::fromHex(fingerprint);
    if (!list || fingerprint != fingerprint.toLower())
        return std::nullopt;
    const QByteArray text = witnessText.toUtf8();
    const auto length = static_cast<std::uint32_t>(text.size());
    const unsigned char lengthBytes[4]
        = { static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
            static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length) };
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    // The label with its terminating zero byte.
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(Label), sizeof Label);
    crypto_hash_sha256_update(&state, secret.bytes.data(), secret.bytes.size());
    crypto_hash_sha256_update(&state, lengthBytes, sizeof lengthBytes);
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(text.constData()),
                              std::size_t(text.size()));
    crypto_hash_sha256_update(&state, list->bytes.data(), list->bytes.size());
    ShuffleSeed seed;
    crypto_hash_sha256_final(&state, seed.bytes.data());
    return seed;
}

int digitCount(const QString& witnessText)
{
    int digits = 0;
    for (const QChar c : witnessText)
        if ((c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９'))
            ++digits;
    return digits;
}

QString grouped(const QString& hex, int groupsPerLine)
{
    QString text;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        if (i > 0)
            text += groupsPerLine > 0 && (i / 4) % groupsPerLine == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
        text += hex.mid(i, 4);
    }
    return text;
}

QStringList drawnNames(QStringList candidates, const ShuffleSeed& seed, int draws, int substitutes)
{
    SeededStream stream(seed);
    QStringList drawn;
    for (int k = 0; k < draws + substitutes && !candidates.isEmpty(); ++k) {
        if (k < draws)
            ShuffleList(candidates, stream);
        const int sector = stream.between(1, int(candidates.size()));
        // The first equal candidate leaves, as the list is read from the top, as in every stop.
        const QString name = candidates.at(sector - 1);
        candidates.removeAt(candidates.indexOf(name));
        drawn.append(name);
    }
    return drawn;
}

} // namespace pelorin::witness
