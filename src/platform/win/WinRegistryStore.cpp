#include "platform/win/WinRegistryStore.h"

#include <QStringList>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

namespace pelorin {

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// "SOFTWARE\\PLRNpath" as the registry takes it: no empty levels, no leading or doubled "\".
QString cleanPath(const QString& keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

struct Place
{
    HKEY root;
    REGSAM view;
};

HKEY predefined(const QString& root)
{
    if (root == u"HKEY_CLASSES_ROOT")
        return HKEY_CLASSES_ROOT;
    if (root == u"HKEY_CURRENT_USER")
        return HKEY_CURRENT_USER;
    if (root == u"HKEY_LOCAL_MACHINE")
        return HKEY_LOCAL_MACHINE;
    if (root == u"HKEY_USERS")
        return HKEY_USERS;
    if (root == u"HKEY_CURRENT_CONFIG")
        return HKEY_CURRENT_CONFIG;
    return nullptr;
}

// Where a value under root is looked for, in this order.
std::vector<Place> readPlaces(const QString& root)
{
    const HKEY key = predefined(root);
    if (key == HKEY_LOCAL_MACHINE)
        return { { HKEY_CURRENT_USER, 0 },
                 { HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY },
                 { HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY } };
    if (key)
        return { { key, 0 } };
    return {};
}

// Where a value under root is written.
HKEY writePlace(const QString& root)
{
    const HKEY key = predefined(root);
    return key == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : key;
}

class OpenKey
{
public:
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool isText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::optional<ISettingsStore::Value> readValue(HKEY key, const QString& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    QByteArray data;
    LSTATUS status = ERROR_MORE_DATA;
    // The value may grow between the two questions: ask again with the size the registry gives.
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        data.resize(static_cast<qsizetype>(size));
        status = RegQueryValueExW(key, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(static_cast<qsizetype>(size));
    if (!isText(type))
        return ISettingsStore::Value { static_cast<int>(type), data };
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2);
    // The registry keeps a text as it was handed over; one stored without its NUL still reads whole.
    if (!text.endsWith(QChar(u'\0')))
        text.append(QChar(u'\0'));
    return ISettingsStore::Value { static_cast<int>(type), text.toUtf8() };
}

} // namespace

std::optional<ISettingsStore::Value> WinRegistryStore::value(const QString& root, const QString& keyPath,
                                                             const QString& name) const
{
    const QString path = cleanPath(keyPath);
    if (path.isEmpty())
        return std::nullopt;
    for (const Place& place : readPlaces(root)) {
        OpenKey key;
        if (RegOpenKeyExW(place.root, wide(path), 0, KEY_QUERY_VALUE | place.view, key.out()) != ERROR_SUCCESS)
            continue;
        if (auto found = readValue(key.get(), name))
            return found;
    }
    return std::nullopt;
}

bool WinRegistryStore::hasKey(const QString& root, const QString& keyPath) const
{
    const QString path = cleanPath(keyPath);
    if (path.isEmpty())
        return false;
    for (const Place& place : readPlaces(root)) {
        OpenKey key;
        if (RegOpenKeyExW(place.root, wide(path), 0, KEY_QUERY_VALUE | place.view, key.out()) == ERROR_SUCCESS)
            return true;
    }
    return false;
}

bool WinRegistryStore::createKey(const QString& root, const QString& keyPath)
{
    const QString path = cleanPath(keyPath);
    const HKEY place = writePlace(root);
    if (path.isEmpty() || !place)
        return false;
    OpenKey key;
    return RegCreateKeyExW(place, wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.out(),
                           nullptr)
        == ERROR_SUCCESS;
}

bool WinRegistryStore::setValue(const QString& root, const QString& keyPath, const QString& name, const Value& value)
{
    const QString path = cleanPath(keyPath);
    const HKEY place = writePlace(root);
    if (path.isEmpty() || !place || value.type < 0)
        return false;
    OpenKey key;
    if (RegOpenKeyExW(place, wide(path), 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS)
        return false;
    const auto type = static_cast<DWORD>(value.type);
    QByteArray bytes = value.data;
    if (isText(type)) {
        const QString text = QString::fromUtf8(value.data);
        bytes = QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }
    return RegSetValueExW(key.get(), wide(name), 0, type, reinterpret_cast<const BYTE*>(bytes.constData()),
                          static_cast<DWORD>(bytes.size()))
        == ERROR_SUCCESS;
}

} // namespace pelorin
