#pragma once

#include "app/CommandRecord.h"

namespace pelorin {

// Keeps a command's shuffle as its seed instead of the whole new order, so that the session on disk grows
// by the changes and not by a copy of the list at every start; replaying recomputes the order. Done only
// when the seed is shown to give this very order: undone by the seed's picks, the new order must give back
// a list with the fingerprint noted before the shuffle. Otherwise the change stays as it was.
void compactShuffle(CommandRecord& record);

} // namespace pelorin
