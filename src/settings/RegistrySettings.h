#pragma once

#include <QString>
#include <cstdint>

namespace pelorin {

class ISettingsStore;
class IMessageBox;

// The predefined root keys; values are kept under the root's name.
enum class RootKey
{
    HKEY_CLASSES_ROOT,
    HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE,
    HKEY_USERS,
    HKEY_CURRENT_CONFIG
};

QString rootKeyName(RootKey root);

// Value type codes, as the registry numbers them.
inline constexpr std::int32_t REG_SZ = 1;
inline constexpr std::int32_t REG_EXPAND_SZ = 2;
inline constexpr std::int32_t REG_BINARY = 3;
inline constexpr std::int32_t REG_DWORD = 4;

// Reads and writes named values as text. Failures of the store itself are absorbed: a read gives
// empty text, a write still reports true and leaves the reason in lastStatus().
class RegistrySettings
{
public:
    RegistrySettings(ISettingsStore& store, IMessageBox& messageBox);

    // The value's text up to its first NUL; empty when the key or value is missing. Never creates anything.
    QString ReadRegValue(RootKey root, const QString& keyPath, const QString& valueName);
    // Creates the key with any missing levels, then stores value converted by type (1, 2: text;
    // 3, 4: 32-bit integer, least significant byte first; others: nothing). False only when the
    // operation as a whole failed, after telling the user.
    bool WriteRegValue(RootKey root, const QString& keyPath, const QString& valueName, const QString& value,
                       std::int32_t type);

    // Why the last write stored nothing; empty when it stored its value.
    const QString& lastStatus() const { return m_status; }

private:
    ISettingsStore& m_store;
    IMessageBox& m_messageBox;
    QString m_status;
};

} // namespace pelorin
