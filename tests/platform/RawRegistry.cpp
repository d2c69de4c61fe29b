#include "RawRegistry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace pelorin::test::raw {

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

HKEY rootOf(Hive hive)
{
    return hive == Hive::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM viewOf(Hive hive)
{
    return hive == Hive::Machine32 ? KEY_WOW64_32KEY : hive == Hive::Machine64 ? KEY_WOW64_64KEY : 0;
}

static_assert(TextType == REG_SZ && BinaryType == REG_BINARY && NumberType == REG_DWORD);

} // namespace

std::optional<Value> value(Hive hive, const QString& key, const QString& name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(rootOf(hive), wide(key), 0, KEY_QUERY_VALUE | viewOf(hive), &opened) != ERROR_SUCCESS)
        return std::nullopt;
    Value found;
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(opened, wide(name), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        found.bytes.resize(size);
        status
            = RegQueryValueExW(opened, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(found.bytes.data()), &size);
    }
    RegCloseKey(opened);
    found.type = type;
    return status == ERROR_SUCCESS ? std::optional<Value>(found) : std::nullopt;
}

void setText(Hive hive, const QString& key, const QString& name, const QString& text)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(rootOf(hive), wide(key), 0, nullptr, 0, KEY_SET_VALUE | viewOf(hive), nullptr, &opened, nullptr)
        != ERROR_SUCCESS)
        return;
    RegSetValueExW(opened, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.utf16()),
                   static_cast<DWORD>((text.size() + 1) * 2));
    RegCloseKey(opened);
}

void removeTree(Hive hive, const QString& parent, const QString& key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(rootOf(hive), wide(parent), 0, KEY_ALL_ACCESS | viewOf(hive), &opened) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(opened, wide(key));
    RegCloseKey(opened);
}

} // namespace pelorin::test::raw
