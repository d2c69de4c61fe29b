#include "settings/SystemSettingsStore.h"

#include "platform/win/WinRegistryStore.h"
#include "settings/FileSettingsStore.h"

namespace pelorin {

// The registry; a settings file only where PELORIN_SETTINGS names one (the tests, a copy run from a stick).
SystemSettingsStore::SystemSettingsStore(IMessageBox* failures)
{
    if (qEnvironmentVariableIsSet("PELORIN_SETTINGS")) {
        auto file = std::make_unique<FileSettingsStore>(FileSettingsStore::defaultPath());
        file->reportFailuresTo(failures);
        m_store = std::move(file);
    } else
        m_store = std::make_unique<WinRegistryStore>();
}

SystemSettingsStore::~SystemSettingsStore() = default;

} // namespace pelorin
