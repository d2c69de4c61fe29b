#pragma once

#include <QStringList>
#include <vector>

namespace pelorin {

class IRandom;

// A uniform integer from lower to upper inclusive.
int RandomBetween(int lower, int upper, IRandom& random);

// Removes the element at r; the later elements move down by one, their order unchanged. Always true.
bool RemoveAtIndex(std::vector<int>& array, int r);

// Puts the items into a random order: n-1 picks, each uniform over the positions not yet placed (in
// ascending order), the last position last. Picks 2 then 0 turn A, B, C into C, A, B.
QStringList shuffledItems(const QStringList& items, IRandom& random);
// The same shuffle as positions: item order[k] of the list goes to place k. Empty for fewer than two items.
std::vector<int> shuffledOrder(int n, IRandom& random);
QStringList shuffledItems(QStringList&& items, IRandom& random);

// Shuffles the items in place; false (and nothing changed) for fewer than two.
bool ShuffleList(QStringList& items, IRandom& random);

} // namespace pelorin
