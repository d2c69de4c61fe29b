#pragma once

#include "platform/ISettingsStore.h"

namespace pelorin {

// The Windows registry through its wide-text functions, so that folders with Chinese names survive
// whatever the system's code page. Texts are stored as UTF-16 with their terminating NUL and handed to
// the settings as UTF-8, as every store does.
//
// HKEY_LOCAL_MACHINE is where the remembered folders belong, but a standard user may not write there, so
// the folders would never be remembered. Writes under that root go to HKEY_CURRENT_USER instead; reads
// take the current user's value first, then one that an earlier installation left under
// HKEY_LOCAL_MACHINE (its 64-bit view, then the 32-bit one a 32-bit program wrote to). The other roots
// are used as they are.
class WinRegistryStore : public ISettingsStore
{
public:
    std::optional<Value> value(const QString& root, const QString& keyPath, const QString& name) const override;
    bool hasKey(const QString& root, const QString& keyPath) const override;
    bool createKey(const QString& root, const QString& keyPath) override;
    bool setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value) override;
};

} // namespace pelorin
