// The registry store of the Windows build, against the real registry (under Wine in the cross build).
// Every key it makes lies under a name of its own and is removed at the end.
#include "fakes/FakeMessageBox.h"
#include "platform/win/WinRegistryStore.h"
#include "settings/RegistrySettings.h"

#include <QTest>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

using namespace pelorin;
using pelorin::test::FakeMessageBox;

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// What the registry itself holds, read without the store.
struct Raw
{
    DWORD type = 0;
    QByteArray bytes;
};

std::optional<Raw> rawValue(HKEY root, const QString& key, const QString& name, REGSAM view = 0)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, wide(key), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    Raw raw;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(opened, wide(name), nullptr, &raw.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        raw.bytes.resize(size);
        status = RegQueryValueExW(opened, wide(name), nullptr, &raw.type, reinterpret_cast<BYTE*>(raw.bytes.data()),
                                  &size);
    }
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? std::optional<Raw>(raw) : std::nullopt;
}

void setRaw(HKEY root, const QString& key, const QString& name, const QString& text, REGSAM view = 0)
{
    HKEY opened = nullptr;
    QCOMPARE(RegCreateKeyExW(root, wide(key), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr),
             ERROR_SUCCESS);
    RegSetValueExW(opened, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.utf16()),
                   static_cast<DWORD>((text.size() + 1) * 2));
    RegCloseKey(opened);
}

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
    const QString m_name = QStringLiteral("PelorinTest%1").arg(GetCurrentProcessId());
    QString keyRead() const { return QStringLiteral("Software\\") + m_name; }
    QString keyWritten() const { return QStringLiteral("SOFTWARE\\") + m_name; }
    const QString m_value = QStringLiteral("path");

    void removeKeys()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, wide(keyWritten()));
        for (REGSAM view : { KEY_WOW64_64KEY, KEY_WOW64_32KEY }) {
            HKEY software = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
                RegDeleteTreeW(software, wide(m_name));
                RegCloseKey(software);
            }
        }
    }

private slots:
    void init() { removeKeys(); }
    void cleanupTestCase() { removeKeys(); }

    // The folder of a Chinese name goes in as UTF-16 text with its NUL, under the current user, and comes
    // back unchanged through the other spelling of the key.
    void chineseFolderRoundTrip()
    {
        WinRegistryStore store;
        FakeMessageBox box;
        RegistrySettings settings(store, box);
        const QString folder = QStringLiteral("C:\\摇号资料\\2026年 重点企业");
        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), m_value, folder, REG_SZ));
        QCOMPARE(settings.lastStatus(), QString());
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), folder);

        const auto raw = rawValue(HKEY_CURRENT_USER, keyRead(), m_value);
        QVERIFY(raw);
        QCOMPARE(raw->type, DWORD(REG_SZ));
        QCOMPARE(utf16Text(raw->bytes), folder + QChar(u'\0'));
        QVERIFY(!rawValue(HKEY_LOCAL_MACHINE, keyRead(), m_value));
        QVERIFY(box.shown.isEmpty());
    }

    // A folder an earlier installation left under HKEY_LOCAL_MACHINE is read while the user has none;
    // once the user's own is written it is the one read, and the machine's stays as it was.
    void machineValueUntilTheUserWrites()
    {
        WinRegistryStore store;
        FakeMessageBox box;
        RegistrySettings settings(store, box);
        setRaw(HKEY_LOCAL_MACHINE, keyWritten(), m_value, QStringLiteral("D:\\旧名单"), KEY_WOW64_32KEY);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("D:\\旧名单"));
        setRaw(HKEY_LOCAL_MACHINE, keyWritten(), m_value, QStringLiteral("D:\\上次名单"), KEY_WOW64_64KEY);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value),
                 QStringLiteral("D:\\上次名单"));

        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), m_value, QStringLiteral("E:\\新名单"),
                               REG_SZ);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("E:\\新名单"));
        QCOMPARE(utf16Text(rawValue(HKEY_LOCAL_MACHINE, keyRead(), m_value, KEY_WOW64_64KEY)->bytes),
                 QStringLiteral("D:\\上次名单") + QChar(u'\0'));
    }

    void missingReadsEmptyAndCreatesNothing()
    {
        WinRegistryStore store;
        FakeMessageBox box;
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
        FakeMessageBox box;
        RegistrySettings settings(store, box);
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        QVERIFY(store.createKey(root, keyWritten()));
        QVERIFY(store.setValue(root, keyWritten(), m_value, { REG_SZ, QByteArray("甲\0乙", 7) }));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, keyRead(), m_value), QStringLiteral("甲"));

        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("n"), QStringLiteral("12"),
                               REG_DWORD);
        const auto dword = rawValue(HKEY_CURRENT_USER, keyRead(), QStringLiteral("n"));
        QVERIFY(dword);
        QCOMPARE(dword->type, DWORD(REG_DWORD));
        QCOMPARE(dword->bytes, QByteArray("\x0C\x00\x00\x00", 4));
        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("b"), QStringLiteral("12"),
                               REG_BINARY);
        QCOMPARE(rawValue(HKEY_CURRENT_USER, keyRead(), QStringLiteral("b"))->type, DWORD(REG_BINARY));

        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, keyWritten(), QStringLiteral("x"),
                                       QStringLiteral("1"), 7));
        QVERIFY(!settings.lastStatus().isEmpty());
        QVERIFY(!rawValue(HKEY_CURRENT_USER, keyRead(), QStringLiteral("x")));
        QVERIFY(box.shown.isEmpty());
    }

    // A value set under a key that was never made is refused; so is a key path without a level.
    void refusals()
    {
        WinRegistryStore store;
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        QVERIFY(!store.setValue(root, keyWritten(), m_value, { REG_SZ, QByteArray("a", 2) }));
        QVERIFY(!store.createKey(root, QStringLiteral("\\\\")));
        QVERIFY(!store.createKey(QStringLiteral("HKEY_NOWHERE"), keyWritten()));
        QVERIFY(!store.value(root, QString(), m_value));
    }
};

QTEST_GUILESS_MAIN(TestWinRegistry)
#include "test_win_registry.moc"
