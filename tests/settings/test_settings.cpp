#include "platform/scripted/ScriptedMessageBox.h"
#include "settings/FileSettingsStore.h"
#include "settings/RegistrySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

using namespace pelorin;
using pelorin::ScriptedMessageBox;

namespace {

const QString Root = QStringLiteral("HKEY_LOCAL_MACHINE");
const QString KeyRead = QStringLiteral("Software\\PLRNpath");
const QString KeyWritten = QStringLiteral("SOFTWARE\\PLRNpath");
const QString Path = QStringLiteral("path");

// A store whose every operation fails outright, as a broken medium would.
class BrokenStore : public ISettingsStore
{
public:
    bool hasKey(const QString&, const QString&) const override { throw std::runtime_error("broken"); }
    std::optional<Value> value(const QString&, const QString&, const QString&) const override
    {
        throw std::runtime_error("broken");
    }
    bool createKey(const QString&, const QString&) override { throw std::runtime_error("broken"); }
    bool setValue(const QString&, const QString&, const QString&, const Value&) override
    {
        throw std::runtime_error("broken");
    }
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileNo = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("s%1/settings.json").arg(++m_fileNo)); }

private slots:
    void missingKeyReadsEmpty()
    {
        FileSettingsStore store(freshPath());
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QString());
        QVERIFY(box.shown.isEmpty());
        QVERIFY(!QFile::exists(store.path()));
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("writtenKey");
        QTest::addColumn<QString>("readKey");
        QTest::addColumn<QString>("readName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString folder = QStringLiteral("D:\\检查名单\\Pelorin 2024");
        QTest::newRow("chinese and latin folder") << KeyWritten << KeyRead << Path << folder << folder;
        QTest::newRow("value name case") << KeyWritten << KeyRead << QStringLiteral("PATH") << folder << folder;
        QTest::newRow("native folder") << KeyWritten << KeyRead << Path << QStringLiteral("/home/张三/名单")
                                       << QStringLiteral("/home/张三/名单");
        QTest::newRow("nul cuts") << KeyWritten << KeyRead << Path
                                  << QStringLiteral("D:\\甲") + QChar(0) + QStringLiteral("乙")
                                  << QStringLiteral("D:\\甲");
        QTest::newRow("other key") << KeyWritten << QStringLiteral("Software\\PLRNpath2") << Path << folder
                                   << QString();
        QTest::newRow("parent key holds no value")
            << KeyWritten << QStringLiteral("software") << Path << folder << QString();
    }
    void textRoundTrip()
    {
        QFETCH(QString, writtenKey);
        QFETCH(QString, readKey);
        QFETCH(QString, readName);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString path = freshPath();
        ScriptedMessageBox box;
        {
            FileSettingsStore store(path);
            RegistrySettings settings(store, box);
            QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, writtenKey, Path, text, REG_SZ));
            QCOMPARE(settings.lastStatus(), QString());
        }
        FileSettingsStore store(path); // a later run of the program
        RegistrySettings settings(store, box);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, readKey, readName), expected);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_CURRENT_USER, readKey, readName), QString());
        QVERIFY(box.shown.isEmpty());
    }

    void storedBytesReadAsText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text with terminator") << QByteArray("abc\0", 4) << QStringLiteral("abc");
        QTest::newRow("cut at first nul") << QByteArray("ab\0cd\0", 6) << QStringLiteral("ab");
        QTest::newRow("no terminator") << QByteArray("abc") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("dword 12") << QByteArray("\x0C\0\0\0", 4) << QStringLiteral("\x0C");
    }
    void storedBytesReadAsText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        FileSettingsStore store(freshPath());
        QVERIFY(store.createKey(Root, KeyWritten));
        QVERIFY(store.setValue(Root, KeyWritten, Path, { REG_BINARY, bytes }));
        ScriptedMessageBox box;
        QCOMPARE(RegistrySettings(store, box).ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), expected);
    }

    void numbersStoreFourBytes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("dword 12") << REG_DWORD << QStringLiteral("12") << QByteArray("\x0C\0\0\0", 4);
        QTest::newRow("binary 12") << REG_BINARY << QStringLiteral("12") << QByteArray("\x0C\0\0\0", 4);
        QTest::newRow("spaces around") << REG_DWORD << QStringLiteral(" 258 ") << QByteArray("\x02\x01\0\0", 4);
        QTest::newRow("negative") << REG_DWORD << QStringLiteral("-1") << QByteArray("\xFF\xFF\xFF\xFF", 4);
        QTest::newRow("largest") << REG_DWORD << QStringLiteral("2147483647") << QByteArray("\xFF\xFF\xFF\x7F", 4);
        QTest::newRow("half to even") << REG_DWORD << QStringLiteral("2.5") << QByteArray("\x02\0\0\0", 4);
    }
    void numbersStoreFourBytes()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        FileSettingsStore store(freshPath());
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, text, type));
        QCOMPARE(settings.lastStatus(), QString());
        const auto stored = FileSettingsStore(store.path()).value(Root, KeyRead, Path);
        QVERIFY(stored);
        QCOMPARE(stored->type, type);
        QCOMPARE(stored->data, bytes);
    }

    void nothingStoredStillReturnsTrue_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        const QString unsupported = QStringLiteral("不支持该参数类型, 修改(写入)注册表失败！");
        const QString failed = QStringLiteral("设置注册表时出错");
        QTest::newRow("type 7") << 7 << QStringLiteral("a") << unsupported;
        QTest::newRow("type 0") << 0 << QStringLiteral("a") << unsupported;
        QTest::newRow("dword not a number") << REG_DWORD << QStringLiteral("十二") << failed;
        QTest::newRow("dword too large") << REG_DWORD << QStringLiteral("2147483648") << failed;
    }
    void nothingStoredStillReturnsTrue()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QString, status);
        FileSettingsStore store(freshPath());
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, text, type));
        QCOMPARE(settings.lastStatus(), status);
        QVERIFY(store.hasKey(Root, KeyRead));
        QVERIFY(store.hasKey(Root, QStringLiteral("software")));
        QVERIFY(!store.value(Root, KeyRead, Path));
        QVERIFY(box.shown.isEmpty());
    }

    void keyThatCannotBeCreated()
    {
        // The settings folder's place is taken by a plain file, so nothing can be saved there.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FileSettingsStore store(blocker.fileName() + QStringLiteral("/settings.json"));
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QVERIFY(settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, QStringLiteral("D:\\x"), REG_SZ));
        QCOMPARE(settings.lastStatus(), QStringLiteral("设置注册表时出错"));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QString());
        QVERIFY(box.shown.isEmpty());
    }

    void damagedFileReadsEmptyAndIsReplaced_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\PLRNpath]\npath=D:\\x\n");
        QTest::newRow("truncated") << QByteArray("{\"HKEY_LOCAL_MACHINE\": {\"SOFTWARE\\\\PLRNpath\": {\"pa");
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("root not an object") << QByteArray("{\"HKEY_LOCAL_MACHINE\": 5}");
        QTest::newRow("value not an object")
            << QByteArray("{\"HKEY_LOCAL_MACHINE\": {\"SOFTWARE\\\\PLRNpath\": {\"path\": \"D:\\\\x\"}}}");
        QTest::newRow("data not text") << QByteArray(
            "{\"HKEY_LOCAL_MACHINE\": {\"SOFTWARE\\\\PLRNpath\": {\"path\": {\"type\": 1, \"data\": 7}}}}");
        QTest::newRow("binary") << QByteArray("\xD0\xCF\x11\xE0\0\0\xFF", 7);
        QTest::newRow("empty") << QByteArray();
    }
    void damagedFileReadsEmptyAndIsReplaced()
    {
        QFETCH(QByteArray, content);
        const QString path = freshPath();
        FileSettingsStore store(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QString());
        QVERIFY(
            settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, QStringLiteral("D:\\新"), REG_SZ));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QStringLiteral("D:\\新"));
        QVERIFY(box.shown.isEmpty());
    }

    void otherValuesSurviveAWrite()
    {
        FileSettingsStore store(freshPath());
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        const QString history = QStringLiteral("SOFTWARE\\PLRNpath2");
        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, QStringLiteral("D:\\甲"), REG_SZ);
        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, history, Path, QStringLiteral("E:\\乙"), REG_SZ);
        settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, QStringLiteral("software\\plrnPATH"), Path,
                               QStringLiteral("D:\\丙"), REG_SZ);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QStringLiteral("D:\\丙"));
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, history, Path), QStringLiteral("E:\\乙"));
    }

    void brokenStoreIsReported()
    {
        BrokenStore store;
        ScriptedMessageBox box;
        RegistrySettings settings(store, box);
        QCOMPARE(settings.ReadRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyRead, Path), QString());
        QVERIFY(!settings.WriteRegValue(RootKey::HKEY_LOCAL_MACHINE, KeyWritten, Path, QStringLiteral("x"), REG_SZ));
        QCOMPARE(box.texts(),
                 QStringList({ QStringLiteral("从注册表中读出数据时失败！"), QStringLiteral("写入注册表失败！") }));
        QCOMPARE(box.shown.first().icon, IMessageBox::Icon::None);
        QCOMPARE(box.shown.first().buttons, IMessageBox::Buttons::Ok);
    }

    void defaultPathFollowsEnvironment()
    {
        const QByteArray saved = qgetenv("PELORIN_SETTINGS");
        // Set through the narrow environment, in the local code page: where that cannot carry the name
        // (Wine's Western default) only the reading side is left, and it reads wide text.
        const QString chosen = QStringLiteral("/tmp/其它/settings.json");
        if (QString::fromLocal8Bit(chosen.toLocal8Bit()) == chosen) {
            qputenv("PELORIN_SETTINGS", chosen.toLocal8Bit());
            QCOMPARE(FileSettingsStore::defaultPath(), chosen);
        }
        qunsetenv("PELORIN_SETTINGS");

        // The documented place, ~/.config/pelorin/settings.json; a file at the earlier, deeper place is
        // taken over once and left where it was.
        QTemporaryDir home;
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        if (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) != home.path()) {
            qputenv("XDG_CONFIG_HOME", savedConfig);
            qputenv("PELORIN_SETTINGS", saved);
            QSKIP("the configuration folder follows XDG_CONFIG_HOME on Linux only; Windows keeps the settings in "
                  "the registry");
        }
        QCOMPARE(FileSettingsStore::defaultPath(), home.filePath("pelorin/settings.json"));
        QVERIFY(!QFileInfo::exists(home.filePath("pelorin/settings.json")));
        QVERIFY(QDir().mkpath(home.filePath("pelorin/pelorin")));
        QFile earlier(home.filePath("pelorin/pelorin/settings.json"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("{\"HKEY_CURRENT_USER\":{}}");
        earlier.close();
        QCOMPARE(FileSettingsStore::defaultPath(), home.filePath("pelorin/settings.json"));
        QFile taken(home.filePath("pelorin/settings.json"));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("{\"HKEY_CURRENT_USER\":{}}"));
        QVERIFY(earlier.exists());

        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("PELORIN_SETTINGS", saved);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
