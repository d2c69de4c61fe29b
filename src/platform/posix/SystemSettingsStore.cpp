#include "platform/SystemSettingsStore.h"

#include "settings/FileSettingsStore.h"

namespace pelorin {

SystemSettingsStore::SystemSettingsStore()
    : m_store(std::make_unique<FileSettingsStore>(FileSettingsStore::defaultPath()))
{
}

SystemSettingsStore::~SystemSettingsStore() = default;

} // namespace pelorin
