// The registry store of the Windows build, against the real registry (under Wine in the cross build).
// Every key it makes lies under a name of its own and is removed at the end.
#include "platform/scripted/ScriptedMessageBox.h"
#include "platform/win/WinRegistryStore.h"
#include "settings/RegistrySettings.h"

#include <QCoreApplication>
#include <QTest>

#include "RawRegistry.h"

using namespace pelorin;
using pelorin::ScriptedMessageBox;
using pelorin::test::Hive;
namespace raw = pelorin::test::raw;

namespace {

QString utf16Text(const QByteArray& bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}

} // namespace

class TestWinRegistry : public QObject
{
    Q_OBJECT

private:
    // A key of this run's own under SOFTWARE, in the letter case the program reads and the one it writes.
    const QString m_name = QStringLiteral("PelorinTest%1").arg(QCoreApplication::applicationPid());
    QString keyRead() const { return QStringLiteral("Software\\") + m_name; }
    QString keyWritten() const { return QStringLiteral("SOFTWARE\\") + m_name; }
    const QString m_value = QStringLiteral("path");

    void removeKeys()
    {
        for (Hive hive : { Hive::User, Hive::Machine64, Hive::Machine32 })
            raw::removeTree(hive, QStringLiteral("SOFTWARE"), m_name);
    }

private slots:
    void init() { removeKeys(); }
    void cleanupTestCase() { removeKeys(); }

    // The folder of a Chinese name goes in as UTF-16 text with its NUL, under the current user, and comes
    // back unchanged through the other spelling of the key.
    void chineseFolderRoundTrip()
    {
        WinRegistryStore store;
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        const QString folder = QStringLiteral("C:\\摇号资料\\2026年 重点企业");
        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), m_value, folder, REG_SZ));
        QCOMPARE(settings.lastStatus(), QString());
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), folder);

        const auto raw = raw::value(Hive::User, keyRead(), m_value);
        QVERIFY(raw);
        QCOMPARE(raw->type, raw::TextType);
        QCOMPARE(utf16Text(raw->bytes), folder + QChar(u'\0'));
        QVERIFY(!raw::value(Hive::Machine64, keyRead(), m_value));
        QVERIFY(box.shown.isEmpty());
    }

    // A folder an earlier installation left under HKEY_LOCAL_MACHINE is read while the user has none;
    // once the user's own is written it is the one read, and the machine's stays as it was.
    void machineValueUntilTheUserWrites()
    {
        WinRegistryStore store;
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        raw::setText(Hive::Machine32, keyWritten(), m_value, QStringLiteral("D:\\旧名单"));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("D:\\旧名单"));
        raw::setText(Hive::Machine64, keyWritten(), m_value, QStringLiteral("D:\\上次名单"));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value),
                 QStringLiteral("D:\\上次名单"));

        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), m_value, QStringLiteral("E:\\新名单"),
                               REG_SZ);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("E:\\新名单"));
        QCOMPARE(utf16Text(raw::value(Hive::Machine64, keyRead(), m_value)->bytes),
                 QStringLiteral("D:\\上次名单") + QChar(u'\0'));
    }

    void missingReadsEmptyAndCreatesNothing()
    {
        WinRegistryStore store;
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QString());
        QVERIFY(!store.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE"), keyRead()));
        QVERIFY(box.shown.isEmpty());
    }

    // Text up to its first NUL; the numeric types as four bytes, least significant first; an unknown type
    // makes the key and stores nothing.
    void typesAsTheSettingsHandThem()
    {
        WinRegistryStore store;
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        QVERIFY(store.createKey(root, keyWritten()));
        QVERIFY(store.setValue(root, keyWritten(), m_value, { pelorin::REG_SZ, QByteArray("甲\0乙", 7) }));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("甲"));

        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("n"), QStringLiteral("12"),
                               REG_DWORD);
        const auto dword = raw::value(Hive::User, keyRead(), QStringLiteral("n"));
        QVERIFY(dword);
        QCOMPARE(dword->type, raw::NumberType);
        QCOMPARE(dword->bytes, QByteArray("\x0C\x00\x00\x00", 4));
        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("b"), QStringLiteral("12"),
                               REG_BINARY);
        QCOMPARE(raw::value(Hive::User, keyRead(), QStringLiteral("b"))->type, raw::BinaryType);

        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("x"),
                                       QStringLiteral("1"), 7));
        QVERIFY(!settings.lastStatus().isEmpty());
        QVERIFY(!raw::value(Hive::User, keyRead(), QStringLiteral("x")));
        QVERIFY(box.shown.isEmpty());
    }

    // A value set under a key that was never made is refused; so is a key path without a level.
    void refusals()
    {
        WinRegistryStore store;
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        QVERIFY(!store.setValue(root, keyWritten(), m_value, { pelorin::REG_SZ, QByteArray("a", 2) }));
        QVERIFY(!store.createKey(root, QStringLiteral("\\\\")));
        QVERIFY(!store.createKey(QStringLiteral("HKEY_NOWHERE"), keyWritten()));
        QVERIFY(!store.value(root, QString(), m_value));
    }
};

QTEST_GUILESS_MAIN(TestWinRegistry)
#include "test_win_registry.moc"
