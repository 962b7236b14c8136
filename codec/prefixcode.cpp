#include "codec/prefixcode.h"

#include <algorithm>
#include <array>

namespace codec {

std::vector<uint8_t> codeLengths(const std::vector<uint32_t>& counts, int limit) {
    std::vector<uint8_t> lengths(counts.size(), 0);
    std::vector<int> used;
    for (size_t symbol = 0; symbol < counts.size(); ++symbol) {
        if (counts[symbol] != 0)
            used.push_back(int(symbol));
    }
    if (used.size() == 1)
        lengths[size_t(used[0])] = 1;
    if (used.size() <= 1)
        return lengths;

    const size_t leaves = used.size();
    std::vector<uint64_t> weight(2 * leaves - 1);
    std::vector<int> parent(2 * leaves - 1);
    std::vector<uint8_t> depth(2 * leaves - 1);
    for (uint32_t floor = 1;; floor *= 2) {
        std::sort(used.begin(), used.end(), [&](int a, int b) {
            const uint32_t wa = std::max(counts[size_t(a)], floor);
            const uint32_t wb = std::max(counts[size_t(b)], floor);
            return wa != wb ? wa < wb : a < b;
        });
        for (size_t n = 0; n < leaves; ++n)
            weight[n] = std::max(counts[size_t(used[n])], floor);
        // Two queues: the sorted leaves and the joined nodes, which come out in increasing weight.
        size_t nextLeaf = 0;
        size_t nextJoined = leaves;
        auto smallest = [&](size_t joinedEnd) {
            if (nextLeaf < leaves && (nextJoined >= joinedEnd || weight[nextLeaf] <= weight[nextJoined]))
                return nextLeaf++;
            return nextJoined++;
        };
        for (size_t joined = leaves; joined < 2 * leaves - 1; ++joined) {
            const size_t a = smallest(joined);
            const size_t b = smallest(joined);
            weight[joined] = weight[a] + weight[b];
            parent[a] = parent[b] = int(joined);
        }
        depth[2 * leaves - 2] = 0;
        int deepest = 0;
        for (size_t n = 2 * leaves - 2; n-- > 0;) {
            depth[n] = uint8_t(depth[size_t(parent[n])] + 1);
            deepest = std::max<int>(deepest, depth[n]);
        }
        if (deepest <= limit) {
            for (size_t n = 0; n < leaves; ++n)
                lengths[size_t(used[n])] = depth[n];
            return lengths;
        }
    }
}

namespace {

uint32_t reversed(uint32_t bits, int count) {
    uint32_t result = 0;
    for (int n = 0; n < count; ++n, bits >>= 1)
        result = (result << 1) | (bits & 1);
    return result;
}

} // namespace

PrefixCode canonicalCode(const std::vector<uint8_t>& lengths) {
    PrefixCode code{std::vector<uint16_t>(lengths.size(), 0), lengths};
    std::array<int, MaxCodeLength + 2> ofLength{};
    for (const uint8_t length : lengths)
        ++ofLength[length];
    ofLength[0] = 0;
    std::array<uint32_t, MaxCodeLength + 2> next{};
    uint32_t first = 0;
    for (int length = 1; length <= MaxCodeLength; ++length) {
        first = (first + uint32_t(ofLength[size_t(length - 1)])) << 1;
        next[size_t(length)] = first;
    }
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length != 0)
            code.bits[symbol] = uint16_t(reversed(next[size_t(length)]++, length));
    }
    return code;
}

std::vector<CodeLengthToken> codeLengthTokens(const std::vector<uint8_t>& lengths) {
    std::vector<CodeLengthToken> tokens;
    for (size_t at = 0; at < lengths.size();) {
        const uint8_t length = lengths[at];
        size_t run = 1;
        while (at + run < lengths.size() && lengths[at + run] == length)
            ++run;
        at += run;
        if (length == 0) {
            for (; run >= 11; run -= std::min<size_t>(run, 138))
                tokens.push_back({18, uint8_t(std::min<size_t>(run, 138) - 11)});
            if (run >= 3) {
                tokens.push_back({17, uint8_t(run - 3)});
                run = 0;
            }
        } else {
            tokens.push_back({length, 0});
            for (--run; run >= 3; run -= std::min<size_t>(run, 6))
                tokens.push_back({16, uint8_t(std::min<size_t>(run, 6) - 3)});
        }
        for (; run > 0; --run)
            tokens.push_back({length, 0});
    }
    return tokens;
}

} // namespace codec
