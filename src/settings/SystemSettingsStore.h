#pragma once

#include "platform/ISettingsStore.h"

#include <memory>

namespace pelorin {

class IMessageBox;

// The settings store of the system the program runs on, chosen when the program is built: a settings
// file on Linux (platform/posix), the registry on Windows (platform/win).
class SystemSettingsStore : public ISettingsStore
{
public:
    // A settings file tells failures to save it to failures, when given.
    explicit SystemSettingsStore(IMessageBox* failures = nullptr);
    ~SystemSettingsStore() override;

    std::optional<Value> value(const QString& root, const QString& keyPath, const QString& name) const override
    {
        return m_store->value(root, keyPath, name);
    }
    bool hasKey(const QString& root, const QString& keyPath) const override { return m_store->hasKey(root, keyPath); }
    bool createKey(const QString& root, const QString& keyPath) override { return m_store->createKey(root, keyPath); }
    bool setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value) override
    {
        return m_store->setValue(root, keyPath, name, value);
    }

private:
    std::unique_ptr<ISettingsStore> m_store;
};

} // namespace pelorin
