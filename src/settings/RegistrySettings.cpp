#include "settings/RegistrySettings.h"

#include "model/NumberConversion.h"
#include "platform/AppText.h"
#include "platform/IMessageBox.h"
#include "platform/ISettingsStore.h"

#include <cmath>
#include <exception>
#include <limits>

namespace pelorin {

namespace {

QString storeFailed()
{
    return QStringLiteral("设置注册表时出错");
}

std::optional<QByteArray> int32Bytes(const QString& text)
{
    bool ok = false;
    const double number = roundHalfEven(text.trimmed().toDouble(&ok));
    if (!ok || !std::isfinite(number) || number < std::numeric_limits<std::int32_t>::min()
        || number > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(number));
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
    return bytes;
}

} // namespace

QString rootKeyName(RootKey root)
{
    switch (root) {
    case RootKey::HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case RootKey::HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER");
    case RootKey::HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RootKey::HKEY_USERS:
        return QStringLiteral("HKEY_USERS");
    case RootKey::HKEY_CURRENT_CONFIG:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    }
    return {};
}

RegistrySettings::RegistrySettings(ISettingsStore& store, IMessageBox& messageBox)
    : m_store(store)
    , m_messageBox(messageBox)
{
}

QString RegistrySettings::ReadRegValue(RootKey root, const QString& keyPath, const QString& valueName)
{
    try {
        const auto stored = m_store.value(rootKeyName(root), keyPath, valueName);
        if (!stored)
            return {};
        // Whatever the value's type, its bytes are taken as text ending at the first NUL;
        // bytes without a NUL hold no complete text.
        const qsizetype end = stored->data.indexOf('\0');
        if (end < 0)
            return {};
        return QString::fromUtf8(stored->data.left(end));
    } catch (const std::exception&) {
        m_messageBox.plain(QStringLiteral("从注册表中读出数据时失败！"), text::windowCaption());
        return {};
    }
}

bool RegistrySettings::WriteRegValue(RootKey root, const QString& keyPath, const QString& valueName,
                                     const QString& value, std::int32_t type)
{
    m_status.clear();
    try {
        const QString rootName = rootKeyName(root);
        const bool keyExists = m_store.createKey(rootName, keyPath);
        ISettingsStore::Value stored { type, {} };
        switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            stored.data = value.toUtf8();
            stored.data.append('\0');
            break;
        case REG_BINARY:
        case REG_DWORD:
            if (const auto bytes = int32Bytes(value)) {
                stored.data = *bytes;
                break;
            }
            m_status = storeFailed();
            return true;
        default:
            m_status = QStringLiteral("不支持该参数类型, 修改(写入)注册表失败！");
            return true;
        }
        if (!keyExists || !m_store.setValue(rootName, keyPath, valueName, stored))
            m_status = storeFailed();
        return true;
    } catch (const std::exception&) {
        m_messageBox.plain(QStringLiteral("写入注册表失败！"), text::windowCaption());
        return false;
    }
}

} // namespace pelorin
