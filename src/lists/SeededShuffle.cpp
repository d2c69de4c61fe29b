#include "lists/SeededShuffle.h"

#include "app/AppContext.h"
#include "lists/ListFingerprint.h"
#include "lists/SeededStream.h"
#include "lists/Shuffle.h"
#include "platform/INameList.h"
#include "platform/ISeedSource.h"

namespace pelorin {

bool shuffleCandidatesWithNewSeed(AppContext& context, Category i)
{
    INameList& candidates = *context.category(i).candidates;
    ISeedSource* seeds = context.services.seeds;
    if (!seeds)
        return ShuffleList(candidates, *context.services.random);
    const ShuffleSeed seed = seeds->newSeed();
    const QStringList before = candidates.items();
    context.notes.note(shufflenotes::Seed, seed.hex());
    context.notes.note(shufflenotes::Fingerprint, listFingerprint(before));
    context.notes.note(shufflenotes::Count, static_cast<int>(before.size()));
    SeededStream stream(seed);
    return ShuffleList(candidates, stream);
}

} // namespace pelorin
