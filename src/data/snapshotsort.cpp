#include "snapshotsort.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {
template <typename Key> void lsdRadixSort(std::vector<quint32>& rows, std::vector<Key>& keys)
{
    const size_t n = rows.size();
    if (n < 2)
        return;
    if (n < 64) {
        std::vector<size_t> order(n);
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
        std::vector<quint32> r(n);
        std::vector<Key> k(n);
        for (size_t i = 0; i < n; ++i) {
            r[i] = rows[order[i]];
            k[i] = keys[order[i]];
        }
        rows.swap(r);
        keys.swap(k);
        return;
    }
    constexpr int passes = int(sizeof(Key));
    std::vector<std::array<size_t, 256>> counts(passes);
    for (auto& c : counts)
        c.fill(0);
    for (const Key key : keys) {
        for (int p = 0; p < passes; ++p)
            ++counts[p][(key >> (8 * p)) & 0xFF];
    }
    std::vector<quint32> rowsOut(n);
    std::vector<Key> keysOut(n);
    for (int p = 0; p < passes; ++p) {
        std::array<size_t, 256>& c = counts[p];
        // A byte that is the same in every key leaves the order as it is.
        if (std::find(c.begin(), c.end(), n) != c.end())
            continue;
        size_t sum = 0;
        for (size_t& v : c) {
            const size_t count = v;
            v = sum;
            sum += count;
        }
        const int shift = 8 * p;
        for (size_t i = 0; i < n; ++i) {
            const size_t dest = c[(keys[i] >> shift) & 0xFF]++;
            rowsOut[dest] = rows[i];
            keysOut[dest] = keys[i];
        }
        rows.swap(rowsOut);
        keys.swap(keysOut);
    }
}
} // namespace

void SnapshotSort::radixSort(std::vector<quint32>& rows, std::vector<quint32>& keys)
{
    lsdRadixSort(rows, keys);
}

void SnapshotSort::radixSort(std::vector<quint32>& rows, std::vector<quint64>& keys)
{
    lsdRadixSort(rows, keys);
}
