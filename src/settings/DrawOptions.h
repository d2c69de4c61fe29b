#pragma once

class QString;

namespace pelorin {

class ISettingsStore;

// Options of the draw window kept in the settings file between runs.
namespace drawoptions {

// "随机缓停"; off when never saved or unreadable.
bool loadSlowStop(const ISettingsStore& store);
void saveSlowStop(ISettingsStore& store, bool on);
// "见证摇号"; off when never saved or unreadable.
bool loadWitnessed(const ISettingsStore& store);
void saveWitnessed(ISettingsStore& store, bool on);

} // namespace drawoptions
} // namespace pelorin
