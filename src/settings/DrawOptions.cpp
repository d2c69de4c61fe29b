#include "settings/DrawOptions.h"

#include "platform/ISettingsStore.h"
#include "settings/RegistrySettings.h"

#include <QString>

namespace pelorin::drawoptions {

namespace {

QString root()
{
    return rootKeyName(RootKey::HKEY_CURRENT_USER);
}
QString keyPath()
{
    return QStringLiteral("Software\\PLRNoptions");
}

bool load(const ISettingsStore& store, const QString& name)
{
    try {
        const auto stored = store.value(root(), keyPath(), name);
        return stored && stored->type == REG_SZ && stored->data.startsWith("1");
    } catch (const std::exception&) {
        return false;
    }
}

void save(ISettingsStore& store, const QString& name, bool on)
{
    try {
        if (store.createKey(root(), keyPath()))
            store.setValue(root(), keyPath(), name, { REG_SZ, on ? QByteArray("1\0", 2) : QByteArray("0\0", 2) });
    } catch (const std::exception&) {
        // An option that cannot be kept is simply off at the next start.
    }
}

} // namespace

bool loadSlowStop(const ISettingsStore& store)
{
    return load(store, QStringLiteral("slowStop"));
}

void saveSlowStop(ISettingsStore& store, bool on)
{
    save(store, QStringLiteral("slowStop"), on);
}

bool loadWitnessed(const ISettingsStore& store)
{
    return load(store, QStringLiteral("witnessed"));
}

void saveWitnessed(ISettingsStore& store, bool on)
{
    save(store, QStringLiteral("witnessed"), on);
}

} // namespace pelorin::drawoptions
