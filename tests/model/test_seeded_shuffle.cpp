// Shuffles that can be recomputed: the picks of a seed's ChaCha20 stream, and the fingerprint of a list.
#include "PositionChiSquare.h"
#include "commands/AppContext.h"
#include "fakes/CountingSeeds.h"
#include "fakes/MemoryPages.h"
#include "lists/ListCommands.h"
#include "model/ChangeNotes.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/Sha256.h"
#include "model/Shuffle.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QTest>
#include <sodium.h>

using namespace pelorin;
using namespace pelorin::test;

namespace {

ShuffleSeed seedOf(std::uint8_t first)
{
    ShuffleSeed seed;
    for (std::size_t i = 0; i < seed.bytes.size(); ++i)
        seed.bytes[i] = static_cast<std::uint8_t>(first + 7 * i);
    return seed;
}

} // namespace

class SeededShuffleTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void streamIsLibsodiumsDeterministicBytes()
    {
        // Anyone with the seed gets the same words from libsodium alone, across the stream's refills.
        const ShuffleSeed seed = seedOf(3);
        constexpr std::size_t words = 5000;
        std::vector<std::uint8_t> expected(4 * words);
        randombytes_buf_deterministic(expected.data(), expected.size(), seed.bytes.data());
        SeededStream stream(seed);
        for (std::size_t i = 0; i < words; ++i) {
            const std::uint32_t word = std::uint32_t(expected[4 * i]) | std::uint32_t(expected[4 * i + 1]) << 8
                | std::uint32_t(expected[4 * i + 2]) << 16 | std::uint32_t(expected[4 * i + 3]) << 24;
            QCOMPARE(stream.nextWord(), word);
        }
    }

    void sameSeedSameOrderOtherSeedOtherOrder()
    {
        QStringList items;
        for (int i = 0; i < 200; ++i)
            items.append(QString::number(i));
        SeededStream a(seedOf(1)), b(seedOf(1)), c(seedOf(2));
        const QStringList first = shuffledItems(items, a);
        QCOMPARE(shuffledItems(items, b), first);
        QVERIFY(shuffledItems(items, c) != first);
    }

    void seedHexRoundTripsAndRefusesOtherText()
    {
        const ShuffleSeed seed = seedOf(250);
        QCOMPARE(seed.hex().size(), 64);
        QCOMPARE(ShuffleSeed::fromHex(seed.hex()), seed);
        QCOMPARE(ShuffleSeed::fromHex(seed.hex().toUpper()), seed);
        QVERIFY(!ShuffleSeed::fromHex(seed.hex().left(63)));
        QVERIFY(!ShuffleSeed::fromHex(seed.hex() + "0"));
        QVERIFY(!ShuffleSeed::fromHex(QString(seed.hex()).replace(10, 1, "g")));
        QVERIFY(!ShuffleSeed::fromHex(QString()));
    }

    void everyPositionIsEquallyLikelyOverSeeds()
    {
        // A fresh seed for every shuffle, as at every start: chi-square over item x position.
        CountingSeeds seeds;
        const double chi = positionChiSquare(6, 30000, [&seeds](const QStringList& items) {
            SeededStream stream(seeds.newSeed());
            return shuffledItems(items, stream);
        });
        // n(n - 1) = 30 degrees of freedom: the 0.999 quantile is 59.70.
        QVERIFY2(chi < 59.70, qPrintable(QString::number(chi)));
    }

    void sha256InPiecesIsSha256()
    {
        // Every length around the block and padding edges, fed in uneven pieces, and a long text.
        QByteArray bytes;
        for (int length = 0; length <= 300; ++length) {
            bytes.resize(length);
            for (int i = 0; i < length; ++i)
                bytes[i] = char((i * 37 + length) % 251);
            Sha256 hash;
            for (int at = 0, piece = 1; at < length; at += piece, piece = piece * 3 % 71 + 1)
                hash.add(reinterpret_cast<const unsigned char*>(bytes.constData()) + at,
                         std::size_t(std::min(piece, length - at)));
            QCOMPARE(hash.hex(),
                     QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        }
        const QByteArray large(3 * 1024 * 1024 + 17, 'x');
        Sha256 hash;
        hash.add(reinterpret_cast<const unsigned char*>(large.constData()), std::size_t(large.size()));
        QCOMPARE(hash.hex(), QString::fromLatin1(QCryptographicHash::hash(large, QCryptographicHash::Sha256).toHex()));
    }

    void fingerprintIsTheHashOfEachNamesLengthAndBytes()
    {
        auto expected = [](const QStringList& names, bool v1) {
            QByteArray bytes;
            for (const QString& name : names) {
                const QByteArray utf8 = name.toUtf8();
                if (!v1) {
                    const auto n = quint32(utf8.size());
                    bytes += char(n >> 24), bytes += char(n >> 16), bytes += char(n >> 8), bytes += char(n);
                }
                bytes += utf8;
                if (v1)
                    bytes += '\n';
            }
            return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        };
        QCOMPARE(listFingerprint({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        // The README's example.
        QCOMPARE(listFingerprint({ "甲公司", "乙公司", "丙公司" }),
                 "14399baa14c86048ee46c75d191e28146dc7461cce5fefa1045602b39d46cad7");
        QVERIFY(listFingerprint({ "a", "b" }) != listFingerprint({ "b", "a" }));
        // A line feed inside a name no longer passes for two names; in the earlier form it did.
        QVERIFY(listFingerprint({ "a\nb" }) != listFingerprint({ "a", "b" }));
        QCOMPARE(listFingerprintV1({ "a\nb" }), listFingerprintV1({ "a", "b" }));
        QVERIFY(listFingerprint({ "ab", "" }) != listFingerprint({ "a", "b" }));
        // Every width of UTF-8, a surrogate pair, and more names than one hashing chunk holds.
        QStringList mixed = { "é", "中文", QString::fromUtf8("\xF0\x9F\x98\x80"), "" };
        for (int i = 0; i < 20000; ++i)
            mixed << QString("第%1号").arg(i);
        QCOMPARE(listFingerprint(mixed), expected(mixed, false));
        QCOMPARE(listFingerprintV1(mixed), expected(mixed, true));
        QVERIFY(isValidUnicode(mixed[2]));
        for (const QString& broken :
             { QString(QChar(0xD800)) + "x", "y" + QString(QChar(0xDC00)), QString(QChar(0xDBFF)) })
            QVERIFY(!isValidUnicode(broken));
    }

    void aShuffleNotesWhatRecomputesIt()
    {
        AppContext context;
        MemoryPages pages(context);
        CountingSeeds seeds;
        context.services.seeds = &seeds;
        QJsonObject notes;
        connect(&pages.session, &Session::changed, [&](const SessionChange& c) { notes = c.details; });
        const QStringList before = { "甲", "乙", "甲", "", "丙" };
        pages[2].candidates.setItems(before);
        shuffleWithNewSeed(context, 2);
        QCOMPARE(seeds.given.size(), 1);
        QCOMPARE(notes.value(shufflenotes::Seed).toString(), seeds.given.front().hex());
        QCOMPARE(notes.value(shufflenotes::Count).toInt(), 5);
        QCOMPARE(notes.value(shufflenotes::Fingerprint).toString(), listFingerprint(before));
        SeededStream again(seeds.given.front());
        QCOMPARE(pages[2].candidates.items(), shuffledItems(before, again));
    }
};

QTEST_GUILESS_MAIN(SeededShuffleTest)
#include "test_seeded_shuffle.moc"
