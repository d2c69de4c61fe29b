#pragma once

#include "platform/ISettingsStore.h"

#include <QJsonObject>
#include <QString>

namespace pelorin {

class IMessageBox;

// Keeps the settings in one JSON file: root -> key path -> value name -> type and bytes.
// Key paths and value names compare without regard to letter case; the first spelling written is kept.
class FileSettingsStore : public ISettingsStore
{
public:
    explicit FileSettingsStore(QString path);

    // PELORIN_SETTINGS when set, otherwise settings.json in the user's configuration folder.
    static QString defaultPath();
    const QString& path() const { return m_path; }
    // Every file that cannot be saved is reported there, with its name and the reason; the store still
    // answers false as before. Without a message box failures are only answered.
    void reportFailuresTo(IMessageBox* messageBox) { m_messageBox = messageBox; }

    bool hasKey(const QString& root, const QString& keyPath) const override;
    std::optional<Value> value(const QString& root, const QString& keyPath, const QString& name) const override;
    bool createKey(const QString& root, const QString& keyPath) override;
    bool setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value) override;

private:
    // An unreadable or damaged file reads as an empty store.
    QJsonObject load() const;
    bool save(const QJsonObject& document) const;

    QString m_path;
    IMessageBox* m_messageBox = nullptr;
};

} // namespace pelorin
