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
QString slowStopName()
{
    return QStringLiteral("slowStop");
}

} // namespace

bool loadSlowStop(const ISettingsStore& store)
{
    try {
        const auto stored = store.value(root(), keyPath(), slowStopName());
        return stored && stored->type == REG_SZ && stored->data.startsWith("1");
    } catch (const std::exception&) {
        return false;
    }
}

void saveSlowStop(ISettingsStore& store, bool on)
{
    try {
        if (store.createKey(root(), keyPath()))
            store.setValue(root(), keyPath(), slowStopName(),
                           { REG_SZ, on ? QByteArray("1\0", 2) : QByteArray("0\0", 2) });
    } catch (const std::exception&) {
        // An option that cannot be kept is simply off at the next start.
    }
}

} // namespace pelorin::drawoptions
