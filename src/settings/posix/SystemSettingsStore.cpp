#include "settings/SystemSettingsStore.h"

#include "settings/FileSettingsStore.h"

namespace pelorin {

SystemSettingsStore::SystemSettingsStore(IMessageBox* failures)
{
    auto file = std::make_unique<FileSettingsStore>(FileSettingsStore::defaultPath());
    file->reportFailuresTo(failures);
    m_store = std::move(file);
}

SystemSettingsStore::~SystemSettingsStore() = default;

} // namespace pelorin
