#include "collect/byte_pair_search.h"

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

// Adds to the `count` positions already found.
std::size_t BytePairSearch::findByBytes(std::string_view text, std::size_t& from,
                                        std::span<std::size_t> found, std::size_t count) const {
    const char* const begin = text.data();
    const std::size_t size = text.size();
    while (count < found.size() && from + 1 < size) {
        const void* hit = std::memchr(begin + from, m_first, size - 1 - from);
        if (hit == nullptr) {
            break;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - begin);
        from = at + 1;
        if (m_isSecond[static_cast<unsigned char>(begin[at + 1])]) {
            found[count++] = at;
        }
    }
    if (count < found.size()) {
        from = size;
    }
    return count;
}

#ifdef CATALOG_PAIR_SEARCH_AVX2

namespace {

// Where each 32-byte step finds the pair, one byte of all ones per position.
struct PairMask {
    __m256i first;
    __m256i byLowBits;

    __attribute__((target("avx2"))) __m256i at(const char* position) const {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(position));
        const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(position + 1));
        const __m256i isFirst = _mm256_cmpeq_epi8(here, first);
        // The one second byte that could sit here, looked up by the low bits of the byte here.
        // A byte with its top bit set looks up 0, which it is not.
        const __m256i wanted = _mm256_shuffle_epi8(byLowBits, after);
        return _mm256_and_si256(isFirst, _mm256_cmpeq_epi8(after, wanted));
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

// Looks at the 128 positions at `from` (reading the byte after them too) for the pair; false
// once `found` is full, with `from` just past the last position put.
__attribute__((target("avx2"), always_inline)) inline bool takeStep(const PairMask& mask,
                                                                    const char* begin,
                                                                    std::size_t& from,
                                                                    std::span<std::size_t> found,
                                                                    std::size_t& count) {
    const __m256i first = mask.at(begin + from);
    const __m256i second = mask.at(begin + from + 32);
    const __m256i third = mask.at(begin + from + 64);
    const __m256i fourth = mask.at(begin + from + 96);
    // Most steps find no pair, which one test tells.
    const __m256i any =
        _mm256_or_si256(_mm256_or_si256(first, second), _mm256_or_si256(third, fourth));
    if (_mm256_testz_si256(any, any)) {
        return true;
    }
    return take(bitsOf(first, second), from, found, count, from) &&
           take(bitsOf(third, fourth), from + 64, found, count, from);
}

}  // namespace

__attribute__((target("avx2"))) std::size_t BytePairSearch::findByVectors(
    std::string_view text, std::size_t& from, std::span<std::size_t> found) const {
    const __m128i table = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_byLowBits.data()));
    const PairMask mask{_mm256_set1_epi8(m_first), _mm256_broadcastsi128_si256(table)};
    const char* const begin = text.data();
    std::size_t count = 0;
    for (; from + 128 < text.size(); from += 128) {
        if (!takeStep(mask, begin, from, found, count)) {
            return count;
        }
    }
    return findByBytes(text, from, found, count);
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
