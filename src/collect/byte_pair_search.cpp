#include "collect/byte_pair_search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// The vector search is built for x86-64 with GCC or Clang and taken only where the processor
// has AVX2. Not on Windows: GCC there does not align the stack for 32-byte values it spills.
#if (defined(__x86_64__) && !defined(_WIN32)) && (defined(__GNUC__) || defined(__clang__))
#define CATALOG_PAIR_SEARCH_AVX2 1
#include <immintrin.h>
#endif

namespace catalog {

// Where the next pair at or after `from` starts; else the text's size.
std::size_t BytePairSearch::nextPair(std::string_view text, std::size_t from) const {
    const std::size_t size = text.size();
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    if (!m_oneFirst) {
        for (std::size_t at = from; at + 1 < size; ++at) {
            if (m_isSecond[begin[at + 1]] &&
                static_cast<unsigned char>(m_firstOf[begin[at + 1]]) == begin[at]) {
                return at;
            }
        }
        return size;
    }
    for (std::size_t at = from; at + 1 < size; ++at) {
        const void* hit = std::memchr(begin + at, m_first, size - 1 - at);
        if (hit == nullptr) {
            break;
        }
        at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - begin);
        if (m_isSecond[begin[at + 1]]) {
            return at;
        }
    }
    return size;
}

// Adds to the `count` positions already found.
std::size_t BytePairSearch::findByBytes(std::string_view text, std::size_t& from,
                                        std::span<std::size_t> found, std::size_t count) const {
    while (count < found.size()) {
        const std::size_t at = nextPair(text, from);
        if (at == text.size()) {
            from = text.size();
            break;
        }
        found[count++] = at;
        from = at + 1;
    }
    return count;
}

#ifdef CATALOG_PAIR_SEARCH_AVX2

namespace {

// Where each 32-byte step finds a pair, one byte of all ones per position. The byte after each
// looks up the second it may be and the first that second needs, by its low bits; a byte with
// its top bit set looks up 0, which it is not. With one first for all, it is compared at once.
template <bool kOneFirst>
struct PairMask {
    __m256i firsts;  // the first byte in every lane, or the firsts' table
    __m256i secondsByLowBits;

    __attribute__((target("avx2"))) __m256i at(const char* position) const {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(position));
        const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(position + 1));
        const __m256i first = kOneFirst ? firsts : _mm256_shuffle_epi8(firsts, after);
        const __m256i wanted = _mm256_shuffle_epi8(secondsByLowBits, after);
        return _mm256_and_si256(_mm256_cmpeq_epi8(here, first), _mm256_cmpeq_epi8(after, wanted));
    }
};

__attribute__((target("avx2"))) std::uint64_t bitsOf(__m256i low, __m256i high) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Puts the positions of `bits`, counted from `base`, into `found` after the `count` there;
// false once `found` is full, with `from` just past the last position put.
bool take(std::uint64_t bits, std::size_t base, std::span<std::size_t> found, std::size_t& count,
          std::size_t& from) {
    for (; bits != 0; bits &= bits - 1) {
        found[count++] = base + static_cast<std::size_t>(std::countr_zero(bits));
        if (count == found.size()) {
            from = found[count - 1] + 1;
            return false;
        }
    }
    return true;
}

// The bits of the positions from `skip` on.
constexpr std::uint64_t bitsFrom(std::size_t skip) {
    return skip >= 64 ? 0 : ~std::uint64_t{0} << skip;
}

// Looks at the 128 positions at `base` (reading the byte after them too) for the pair, but for the
// first `skip` of them; false once `found` is full, with `from` just past the last position put.
template <bool kOneFirst>
__attribute__((target("avx2"), always_inline)) inline bool takeStep(
    const PairMask<kOneFirst>& mask, const char* begin, std::size_t base, std::size_t skip,
    std::span<std::size_t> found, std::size_t& count, std::size_t& from) {
    const __m256i first = mask.at(begin + base);
    const __m256i second = mask.at(begin + base + 32);
    const __m256i third = mask.at(begin + base + 64);
    const __m256i fourth = mask.at(begin + base + 96);
    // Most steps find no pair, which one test tells.
    const __m256i any =
        _mm256_or_si256(_mm256_or_si256(first, second), _mm256_or_si256(third, fourth));
    if (_mm256_testz_si256(any, any)) {
        return true;
    }
    const std::uint64_t high = skip > 64 ? bitsFrom(skip - 64) : ~std::uint64_t{0};
    return take(bitsOf(first, second) & bitsFrom(skip), base, found, count, from) &&
           take(bitsOf(third, fourth) & high, base + 64, found, count, from);
}

// Looks at 128 positions a step, and ends with the text's last 128, some of them looked at
// already, rather than byte by byte; false once `found` is full. Texts shorter than a step are
// left to the byte search.
template <bool kOneFirst>
__attribute__((target("avx2"))) bool takeSteps(const PairMask<kOneFirst>& mask,
                                               std::string_view text, std::size_t& from,
                                               std::span<std::size_t> found, std::size_t& count) {
    constexpr std::size_t kStep = 128;
    const std::size_t size = text.size();
    for (; from + kStep < size; from += kStep) {
        if (!takeStep(mask, text.data(), from, 0, found, count, from)) {
            return false;
        }
    }
    if (from + 1 < size && size > kStep) {
        const std::size_t base = size - 1 - kStep;  // the last position a pair may start at ends it
        if (!takeStep(mask, text.data(), base, from - base, found, count, from)) {
            return false;
        }
        from = size;
    }
    return true;
}

__attribute__((target("avx2"))) __m256i tableOf(const std::array<unsigned char, 16>& table) {
    return _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

}  // namespace

__attribute__((target("avx2"))) std::size_t BytePairSearch::findByVectors(
    std::string_view text, std::size_t& from, std::span<std::size_t> found) const {
    const __m256i seconds = tableOf(m_secondsByLowBits);
    std::size_t count = 0;
    const bool open = m_oneFirst ? takeSteps(PairMask<true>{_mm256_set1_epi8(m_first), seconds},
                                             text, from, found, count)
                                 : takeSteps(PairMask<false>{tableOf(m_firstsByLowBits), seconds},
                                             text, from, found, count);
    return open ? findByBytes(text, from, found, count) : count;
}

std::size_t BytePairSearch::find(std::string_view text, std::size_t& from,
                                 std::span<std::size_t> found) const {
    return hasAvx2() ? findByVectors(text, from, found) : findByBytes(text, from, found, 0);
}

#else

std::size_t BytePairSearch::find(std::string_view text, std::size_t& from,
                                 std::span<std::size_t> found) const {
    return findByBytes(text, from, found, 0);
}

#endif

}  // namespace catalog
