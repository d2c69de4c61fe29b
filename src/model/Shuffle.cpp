#include "model/Shuffle.h"

#include "model/IRandom.h"

namespace pelorin {

namespace {

// Positions not yet placed, in ascending order, with the r-th of them found in O(log n).
class RemainingPositions
{
public:
    explicit RemainingPositions(int n)
        : m_tree(static_cast<std::size_t>(n) + 1, 0)
    {
        // Every position present once: the tree of all ones, built in O(n).
        for (int i = 1; i <= n; ++i) {
            m_tree[static_cast<std::size_t>(i)] += 1;
            const int parent = i + (i & -i);
            if (parent <= n)
                m_tree[static_cast<std::size_t>(parent)] += m_tree[static_cast<std::size_t>(i)];
        }
        m_topBit = 1;
        while (m_topBit * 2 <= n)
            m_topBit *= 2;
    }

    // Takes out the r-th remaining position (from 0) and returns it.
    int take(int r)
    {
        int position = 0;
        int left = r + 1;
        for (int step = m_topBit; step > 0; step /= 2) {
            const int next = position + step;
            if (next < static_cast<int>(m_tree.size()) && m_tree[static_cast<std::size_t>(next)] < left) {
                position = next;
                left -= m_tree[static_cast<std::size_t>(next)];
            }
        }
        // position + 1 is the 1-based index of the r-th remaining one.
        for (int i = position + 1; i < static_cast<int>(m_tree.size()); i += i & -i)
            m_tree[static_cast<std::size_t>(i)] -= 1;
        return position;
    }

private:
    std::vector<int> m_tree;
    int m_topBit = 1;
};

} // namespace

int RandomBetween(int lower, int upper, IRandom& random)
{
    return random.between(lower, upper);
}

bool RemoveAtIndex(std::vector<int>& array, int r)
{
    array.erase(array.begin() + r);
    return true;
}

QStringList shuffledItems(const QStringList& items, IRandom& random)
{
    return shuffledItems(QStringList(items), random);
}

std::vector<int> shuffledOrder(int n, IRandom& random)
{
    std::vector<int> order;
    if (n < 2)
        return order;
    order.reserve(static_cast<std::size_t>(n));
    RemainingPositions remaining(n);
    for (int upper = n - 1; upper != 0; --upper)
        order.push_back(remaining.take(RandomBetween(0, upper, random)));
    order.push_back(remaining.take(0));
    return order;
}

QStringList shuffledItems(QStringList&& items, IRandom& random)
{
    const std::vector<int> order = shuffledOrder(static_cast<int>(items.size()), random);
    if (order.empty())
        return std::move(items);
    // Moved, not copied: the names' texts are not touched, which matters on the largest lists.
    QStringList result;
    result.reserve(items.size());
    for (const int position : order)
        result.append(std::move(items[position]));
    return result;
}

bool ShuffleList(QStringList& items, IRandom& random)
{
    if (items.size() < 2)
        return false;
    items = shuffledItems(std::move(items), random);
    return true;
}

} // namespace pelorin
