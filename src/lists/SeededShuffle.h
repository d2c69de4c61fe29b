#pragma once

#include "app/Categories.h"

namespace pelorin {

struct AppContext;

// Keys of the facts a shuffle adds to its command's record.
namespace shufflenotes {
inline const QString Seed = QStringLiteral("shuffleSeed");
inline const QString Fingerprint = QStringLiteral("fingerprint");
inline const QString Count = QStringLiteral("candidates");
} // namespace shufflenotes

// Shuffles the candidates of category i with the picks of a fresh seed, and notes for the command's record
// the seed, the number of candidates and the fingerprint of the list before the shuffle. Without a seed
// source the picks come from services.random and nothing is noted. False when fewer than two names.
bool shuffleCandidatesWithNewSeed(AppContext& context, Category i);

} // namespace pelorin
