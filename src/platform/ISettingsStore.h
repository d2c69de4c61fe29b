#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace pelorin {

// The persistent store behind the settings: keys under a root, each with named typed values.
// Key paths compare without regard to letter case.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // The stored bytes and type code of a value, nullopt when the key or value is missing.
    struct Value
    {
        int type = 0;
        QByteArray data;
    };
    virtual std::optional<Value> value(const QString& root, const QString& keyPath, const QString& name) const = 0;
    virtual bool hasKey(const QString& root, const QString& keyPath) const = 0;
    // Creates the key and every missing level above it; false when that is impossible.
    virtual bool createKey(const QString& root, const QString& keyPath) = 0;
    // Stores a value under an existing key; false when the key is missing or the store refuses the value.
    virtual bool setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value) = 0;
};

} // namespace pelorin
