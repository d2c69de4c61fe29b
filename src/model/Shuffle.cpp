#include "model/Shuffle.h"

#include "model/IRandom.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pelorin {

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PELORIN_INLINE inline __attribute__((always_inline))
#else
#define PELORIN_INLINE inline
#endif

// Bits counted by the processor's instruction where the caller is built for it (Hardware), else without it:
// a build for every x86-64 may not use it, and a call to the compiler's routine instead cost more than the
// rest of a pick.
template <bool Hardware = false> PELORIN_INLINE int onesIn(std::uint64_t x)
{
    if constexpr (Hardware)
        return std::popcount(x);
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

// For each byte and k, where its k-th set bit is.
struct BitsInByte
{
    std::array<std::array<std::uint8_t, 8>, 256> at {};
    constexpr BitsInByte()
    {
        for (int byte = 0; byte < 256; ++byte)
            for (int bit = 0, k = 0; bit < 8; ++bit)
                if (byte & (1 << bit))
                    at[static_cast<std::size_t>(byte)][static_cast<std::size_t>(k++)] = static_cast<std::uint8_t>(bit);
    }
};
constexpr BitsInByte KthBit;

// The position of the k-th (from 0) set bit of x, which has more than k: halved down to its byte without
// branches (which half is a coin toss), then looked up.
template <bool Hardware = false> PELORIN_INLINE int selectBit(std::uint64_t x, int k)
{
    int base = 0;
    for (int width = 32; width >= 8; width /= 2) {
        const std::uint64_t low = x & ((std::uint64_t(1) << width) - 1);
        const int count = onesIn<Hardware>(low);
        const int high = (count - k - 1) >> 31; // all ones when k >= count: the bit is in the upper half
        k -= count & high;
        base += width & high;
        x = (high != 0) ? x >> width : low;
    }
    return base + KthBit.at[static_cast<std::size_t>(x & 0xFF)][static_cast<std::size_t>(k)];
}

// Positions not yet placed, in ascending order: a bit for each position, 64 to a word, and the count of
// each word's bits in a Fenwick tree over the words. The r-th of them is found by descending the small tree
// to its word (which stays in the fastest cache) and then within the word.
class RemainingPositions
{
public:
    explicit RemainingPositions(int n)
        : m_words(static_cast<std::size_t>((n + 63) / 64), ~std::uint64_t(0))
        , m_tree(treeSize(m_words.size()), Unreachable)
    {
        std::fill(m_tree.begin(), m_tree.begin() + static_cast<std::ptrdiff_t>(m_words.size()) + 1, 0);
        if (n % 64 != 0)
            m_words.back() = (std::uint64_t(1) << (n % 64)) - 1;
        const int words = static_cast<int>(m_words.size());
        for (int i = 1; i <= words; ++i) {
            m_tree[static_cast<std::size_t>(i)] += onesIn(m_words[static_cast<std::size_t>(i - 1)]);
            const int parent = i + (i & -i);
            if (parent <= words)
                m_tree[static_cast<std::size_t>(parent)] += m_tree[static_cast<std::size_t>(i)];
        }
        m_topBit = 1;
        while (m_topBit * 2 <= words)
            m_topBit *= 2;
    }

    // Takes out the r-th remaining position (from 0) and returns it.
    int take(int r)
    {
        const int words = static_cast<int>(m_words.size());
        int word = 0;
        int left = r + 1;
        // Without branches: which way the descent goes is a coin toss the processor cannot foresee. Past the
        // last word the tree holds counts no pick reaches.
        for (int step = m_topBit; step > 0; step /= 2) {
            const int count = m_tree[static_cast<std::size_t>(word + step)];
            const int right = (count - left) >> 31; // all ones when count < left, else 0
            word += step & right;
            left -= count & right;
        }
        // word is the 0-based word holding it, as its left-th set bit.
        std::uint64_t& bits = m_words[static_cast<std::size_t>(word)];
        const int bit = selectBit(bits, left - 1);
        bits &= ~(std::uint64_t(1) << bit);
        for (int i = word + 1; i <= words; i += i & -i)
            m_tree[static_cast<std::size_t>(i)] -= 1;
        return word * 64 + bit;
    }

private:
    static constexpr int Unreachable = 1 << 30;

    static std::size_t treeSize(std::size_t words)
    {
        std::size_t size = 1;
        while (size <= words)
            size *= 2;
        return size;
    }

    std::vector<std::uint64_t> m_words;
    std::vector<int> m_tree;
    int m_topBit = 1;
};

#if defined(__SSE2__)

// The same positions for lists of up to 32,767, as counts of 16 bits summed up within small groups, found
// and counted down sixteen at a time: words of 64 positions, groups of 16 words, and the 32 groups. A pick
// compares a handful of vectors instead of walking a tree, with no branch to mispredict.
template <bool Hardware> class SmallRemaining
{
public:
    static constexpr int Most = 32767; // every count fits in 16 bits

    explicit SmallRemaining(int n)
    {
        for (int w = 0; w < Words; ++w) {
            const int from = w * 64;
            const int bits = std::clamp(n - from, 0, 64);
            m_words[w] = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
        }
        int total = 0;
        for (int g = 0; g < Groups; ++g) {
            int inGroup = 0;
            for (int j = 0; j < 16; ++j) {
                inGroup += onesIn(m_words[g * 16 + j]);
                m_inGroup[g][j] = static_cast<std::int16_t>(inGroup);
            }
            total += inGroup;
            m_groups[g] = static_cast<std::int16_t>(total);
        }
    }

    PELORIN_INLINE int take(int r)
    {
        // The group: how many groups end at or before r.
        const __m128i target = _mm_set1_epi16(static_cast<short>(r + 1));
        const int g = countBelow<4>(m_groups, target);
        const int before = g > 0 ? m_groups[g - 1] : 0;
        const int inGroup = r - before;
        const __m128i groupTarget = _mm_set1_epi16(static_cast<short>(inGroup + 1));
        const int w = countBelow<2>(m_inGroup[g], groupTarget);
        const int rank = inGroup - (w > 0 ? m_inGroup[g][w - 1] : 0);
        const int word = g * 16 + w;
        const int bit = selectBit<Hardware>(m_words[word], rank);
        m_words[word] &= ~(std::uint64_t(1) << bit);
        countDown<2>(m_inGroup[g], w);
        countDown<4>(m_groups, g);
        return word * 64 + bit;
    }

private:
    static constexpr int Words = 512;
    static constexpr int Groups = 32;

    // How many of the vectors' counts are below target (they are in ascending order).
    template <int vectors> static PELORIN_INLINE int countBelow(const std::int16_t* counts, __m128i target)
    {
        int below = 0;
        for (int v = 0; v < vectors; v += 2) {
            const __m128i a = _mm_cmplt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(counts + 8 * v)), target);
            const __m128i b
                = _mm_cmplt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(counts + 8 * v + 8)), target);
            below += onesIn<Hardware>(static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b))));
        }
        return below;
    }

    // Takes one from every count from index from on.
    template <int vectors> static PELORIN_INLINE void countDown(std::int16_t* counts, int from)
    {
        const __m128i limit = _mm_set1_epi16(static_cast<short>(from - 1));
        __m128i index = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
        const __m128i eight = _mm_set1_epi16(8);
        for (int v = 0; v < vectors; ++v) {
            __m128i* at = reinterpret_cast<__m128i*>(counts + 8 * v);
            // All ones, that is -1, where the index is past from - 1.
            _mm_store_si128(at, _mm_add_epi16(_mm_load_si128(at), _mm_cmpgt_epi16(index, limit)));
            index = _mm_add_epi16(index, eight);
        }
    }

    std::array<std::uint64_t, Words> m_words {};
    alignas(16) std::int16_t m_inGroup[Groups][16] {};
    alignas(16) std::int16_t m_groups[Groups] {};
};

#endif

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

bool hasPopcount()
{
    static const bool has = __builtin_cpu_supports("popcnt");
    return has;
}

// The places with the processor counting the bits: everything of a pick is drawn into this one function,
// built for the instruction, and runs only where the processor has it.
__attribute__((target("popcnt"))) void placeCountingByProcessor(int n, IRandom& random, std::vector<int>& order)
{
    auto remaining = std::make_unique<SmallRemaining<true>>(n);
    for (int upper = n - 1; upper != 0; --upper)
        order.push_back(remaining->take(random.between(0, upper)));
    order.push_back(remaining->take(0));
}

#endif

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
    const auto place = [&](auto& remaining) {
        for (int upper = n - 1; upper != 0; --upper)
            order.push_back(remaining.take(RandomBetween(0, upper, random)));
        order.push_back(remaining.take(0));
    };
#if defined(__SSE2__)
    if (n <= SmallRemaining<false>::Most) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
        if (hasPopcount()) {
            placeCountingByProcessor(n, random, order);
            return order;
        }
#endif
        auto remaining = std::make_unique<SmallRemaining<false>>(n);
        place(*remaining);
        return order;
    }
#endif
    RemainingPositions remaining(n);
    place(remaining);
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
