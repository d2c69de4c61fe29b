#include "settings/FileSettingsStore.h"

#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>

namespace pelorin {

namespace {

constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

const QString TypeField = QStringLiteral("type");
const QString DataField = QStringLiteral("data");

// "SOFTWARE\\PLRNpath" -> { "SOFTWARE", "PLRNpath" }; empty levels are dropped.
QStringList levelsOf(const QString& keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// The member of object whose name equals name without regard to case, or name itself when none does.
QString spellingIn(const QJsonObject& object, const QString& name)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return name;
}

// The values of a key, nullopt when the key is missing.
std::optional<QJsonObject> keyIn(const QJsonObject& document, const QString& root, const QString& keyPath)
{
    const QStringList levels = levelsOf(keyPath);
    if (levels.isEmpty())
        return std::nullopt;
    const QJsonObject keys = document.value(root).toObject();
    const QJsonValue entry = keys.value(spellingIn(keys, levels.join(QLatin1Char('\\'))));
    if (!entry.isObject())
        return std::nullopt;
    return entry.toObject();
}

} // namespace

FileSettingsStore::FileSettingsStore(QString path)
    : m_path(std::move(path))
{
}

QString FileSettingsStore::defaultPath()
{
    const QString fromEnvironment = qEnvironmentVariable("PELORIN_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString path = config + QStringLiteral("/pelorin/settings.json");
    // Earlier versions kept the file one folder deeper; it is taken over once, the old one is left alone.
    const QString earlier = config + QStringLiteral("/pelorin/pelorin/settings.json");
    if (!QFileInfo::exists(path) && QFileInfo::exists(earlier)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::copy(earlier, path);
    }
    return path;
}

bool FileSettingsStore::hasKey(const QString& root, const QString& keyPath) const
{
    return keyIn(load(), root, keyPath).has_value();
}

std::optional<ISettingsStore::Value> FileSettingsStore::value(const QString& root, const QString& keyPath,
                                                              const QString& name) const
{
    const auto key = keyIn(load(), root, keyPath);
    if (!key)
        return std::nullopt;
    const QJsonObject& values = *key;
    const QJsonValue entry = values.value(spellingIn(values, name));
    if (!entry.isObject())
        return std::nullopt;
    const QJsonObject stored = entry.toObject();
    const QJsonValue data = stored.value(DataField);
    if (!data.isString())
        return std::nullopt;
    return Value { stored.value(TypeField).toInt(), QByteArray::fromHex(data.toString().toLatin1()) };
}

bool FileSettingsStore::createKey(const QString& root, const QString& keyPath)
{
    const QStringList levels = levelsOf(keyPath);
    if (levels.isEmpty())
        return false;
    QJsonObject document = load();
    QJsonObject keys = document.value(root).toObject();
    bool changed = false;
    for (qsizetype depth = 1; depth <= levels.size(); ++depth) {
        const QString key = levels.first(depth).join(QLatin1Char('\\'));
        const QString spelling = spellingIn(keys, key);
        if (!keys.value(spelling).isObject()) {
            keys.insert(spelling, QJsonObject());
            changed = true;
        }
    }
    if (!changed)
        return true;
    document.insert(root, keys);
    return save(document);
}

bool FileSettingsStore::setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value)
{
    const QStringList levels = levelsOf(keyPath);
    if (levels.isEmpty())
        return false;
    QJsonObject document = load();
    QJsonObject keys = document.value(root).toObject();
    const QString keySpelling = spellingIn(keys, levels.join(QLatin1Char('\\')));
    const QJsonValue keyEntry = keys.value(keySpelling);
    if (!keyEntry.isObject())
        return false;
    QJsonObject values = keyEntry.toObject();
    QJsonObject stored;
    stored.insert(TypeField, value.type);
    stored.insert(DataField, QString::fromLatin1(value.data.toHex()));
    values.insert(spellingIn(values, name), stored);
    keys.insert(keySpelling, values);
    document.insert(root, keys);
    return save(document);
}

QJsonObject FileSettingsStore::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isObject() ? document.object() : QJsonObject();
}

bool FileSettingsStore::save(const QJsonObject& document) const
{
    QString reason;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        reason = QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(folder));
    else
        reason = files::saveBytes(m_path, QJsonDocument(document).toJson(QJsonDocument::Indented));
    if (reason.isEmpty())
        return true;
    // The file keeps what it held; the program goes on with the setting unsaved.
    if (m_messageBox)
        m_messageBox->information(
            QStringLiteral("无法保存设置文件：%1\n原因：%2").arg(QDir::toNativeSeparators(m_path), reason),
            text::windowCaption());
    return false;
}

} // namespace pelorin
