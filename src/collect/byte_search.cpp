#include "collect/byte_search.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace catalog {

namespace {

// Backward search by the needle's rarest byte: memrchr finds candidates at vector speed and
// memcmp confirms them. Some texts (long runs of one byte) make almost every position a false
// candidate; once the comparisons outweigh the text scanned, the search hands over to a
// linear-time scan so that no input can make it quadratic.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing inputs are a few hundred bytes: a small allowance sends them down the fallbacks too.
constexpr std::size_t kWastedWorkAllowance = 8;
#else
constexpr std::size_t kWastedWorkAllowance = 4096;
#endif

// How common a byte is in catalog pages (HTML, English words, quoted key dumps); lower is rarer.
// Searching for the needle's rarest byte keeps false candidates few: the blanks and quotes that
// close every marker are among the most common bytes of a page. A table, because it is asked
// for every byte of every needle on every search.
constexpr std::array<unsigned char, 256> kCommonness = [] {
    std::array<unsigned char, 256> table{};
    const auto rank = [&table](std::string_view bytes, unsigned char value) {
        for (const char byte : bytes) {
            table[static_cast<unsigned char>(byte)] = value;
        }
    };
    for (std::size_t byte = 0x20; byte < table.size(); ++byte) {
        table[byte] = 2;
    }
    rank("{}[]|~^`\\@$%*+?!", 1);
    rank("abcdefghijklmnopqrstuvwxyz0123456789\t\r.,-:;", 3);
    rank(" etaoinsrhldcum<>/\"=\n'", 4);
    return table;
}();

int commonness(unsigned char byte) {
    return kCommonness[byte];
}

std::size_t rarestByteIndex(std::string_view needle) {
    std::size_t best = needle.size() - 1;
    for (std::size_t i = needle.size(); i-- > 0;) {
        if (commonness(static_cast<unsigned char>(needle[i])) <
            commonness(static_cast<unsigned char>(needle[best]))) {
            best = i;
        }
    }
    return best;
}

// Every search of every file asks for the rarest byte of the same few markers, and working it
// out took a quarter of the work on small pages: each thread remembers it per marker. An entry
// left by another needle at the same address and of the same size only picks a less rare byte,
// and any byte of the needle finds the same occurrences.
std::size_t pivotOf(std::string_view needle) {
    struct Entry {
        const char* data = nullptr;
        std::size_t size = 0;
        std::size_t pivot = 0;
    };
    thread_local std::array<Entry, 64> remembered{};
    const std::uint64_t key = reinterpret_cast<std::uintptr_t>(needle.data()) + needle.size();
    const std::size_t slot = (key * 0x9E3779B97F4A7C15ull) >> 58;  // the top 6 bits: 64 slots
    Entry& entry = remembered[slot];
    if (entry.data != needle.data() || entry.size != needle.size()) {
        entry = {needle.data(), needle.size(), rarestByteIndex(needle)};
    }
    return entry.pivot;
}

// Knuth-Morris-Pratt run backwards: the last occurrence of `needle` ending at or before `end`.
std::size_t findLastLinear(std::string_view text, std::string_view needle, std::size_t end) {
    const std::size_t m = needle.size();
    // border[i]: length of the longest proper border of the reversed needle's first i+1 bytes.
    std::vector<std::size_t> border(m, 0);
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[m - 1 - i] != needle[m - 1 - k]) {
            k = border[k - 1];
        }
        if (needle[m - 1 - i] == needle[m - 1 - k]) {
            ++k;
        }
        border[i] = k;
    }
    std::size_t matched = 0;
    for (std::size_t pos = end; pos > 0; --pos) {
        const char byte = text[pos - 1];
        while (matched > 0 && byte != needle[m - 1 - matched]) {
            matched = border[matched - 1];
        }
        if (byte == needle[m - 1 - matched]) {
            ++matched;
        }
        if (matched == m) {
            return pos - 1;
        }
    }
    return kNotFound;
}

bool isAt(std::string_view text, std::size_t at, std::string_view needle) {
    const char* candidate = text.data() + at;
    return candidate[0] == needle[0] && candidate[needle.size() - 1] == needle.back() &&
           std::memcmp(candidate, needle.data(), needle.size()) == 0;
}

#ifndef __GLIBC__
// Knuth-Morris-Pratt forwards: the first occurrence of `needle` starting at or after `from`.
std::size_t findFirstLinear(std::string_view text, std::string_view needle, std::size_t from) {
    const std::size_t m = needle.size();
    std::vector<std::size_t> border(m, 0);  // as in findLastLinear, for the needle as it is
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[i] != needle[k]) {
            k = border[k - 1];
        }
        if (needle[i] == needle[k]) {
            ++k;
        }
        border[i] = k;
    }
    std::size_t matched = 0;
    for (std::size_t pos = from; pos < text.size(); ++pos) {
        while (matched > 0 && text[pos] != needle[matched]) {
            matched = border[matched - 1];
        }
        if (text[pos] == needle[matched]) {
            ++matched;
        }
        if (matched == m) {
            return pos + 1 - m;
        }
    }
    return kNotFound;
}
#endif

// glibc's memmem and memrchr run at vector speed. Other C libraries (Windows' among them) lack
// them: a plain backward scan and the linear search above take their place there.
std::size_t findFirstFrom(std::string_view text, std::size_t from, std::string_view needle) {
#ifdef __GLIBC__
    const void* hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : kNotFound;
#else
    return findFirstLinear(text, needle, from);
#endif
}

const void* lastByteIn(const char* data, unsigned char byte, std::size_t length) {
#ifdef __GLIBC__
    return memrchr(data, byte, length);
#else
    for (std::size_t i = length; i-- > 0;) {
        if (static_cast<unsigned char>(data[i]) == byte) {
            return data + i;
        }
    }
    return nullptr;
#endif
}

}  // namespace

std::size_t findFirst(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0) {
        return 0;
    }
    if (m > text.size()) {
        return kNotFound;
    }
    // As findLast, forwards: memchr on the rarest byte skips most of a page at vector speed, and
    // the linear search takes over when false candidates pile up.
    const std::size_t pivot = pivotOf(needle);
    const auto pivotByte = static_cast<unsigned char>(needle[pivot]);
    const std::size_t lastStart = text.size() - m;
    std::size_t work = 0;
    for (std::size_t start = 0; start <= lastStart;) {
        const void* hit =
            std::memchr(text.data() + start + pivot, pivotByte, lastStart - start + 1);
        if (!hit) {
            return kNotFound;
        }
        const std::size_t candidate = static_cast<const char*>(hit) - text.data() - pivot;
        if (isAt(text, candidate, needle)) {
            return candidate;
        }
        work += 1 + m;
        if (work > kWastedWorkAllowance + candidate) {
            return findFirstFrom(text, candidate + 1, needle);
        }
        start = candidate + 1;
    }
    return kNotFound;
}

std::size_t findLast(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0) {
        return text.size();
    }
    if (m > text.size()) {
        return kNotFound;
    }
    // Candidates are found by the byte at `pivot`: a hit at p means a start at p - pivot.
    const std::size_t pivot = pivotOf(needle);
    const auto pivotByte = static_cast<unsigned char>(needle[pivot]);
    const std::size_t lastStart = text.size() - m;
    std::size_t searchEnd = lastStart + pivot + 1;  // one past the last pivot position allowed
    std::size_t work = 0;
    while (searchEnd > pivot) {
        const void* hit = lastByteIn(text.data() + pivot, pivotByte, searchEnd - pivot);
        if (!hit) {
            return kNotFound;
        }
        const std::size_t start = static_cast<const char*>(hit) - text.data() - pivot;
        if (isAt(text, start, needle)) {
            return start;
        }
        work += 1 + m;
        if (work > kWastedWorkAllowance + (lastStart - start)) {
            return findLastLinear(text, needle, start + m - 1);
        }
        searchEnd = start + pivot;
    }
    return kNotFound;
}

void eraseAll(std::string& value, std::string_view needle, std::size_t from) {
    // Compacts in place: each piece moves down, never past bytes still to be searched, so every
    // search sees the original bytes.
    std::size_t write = from;
    forEachPieceBetween(std::string_view(value).substr(from), needle, [&](std::string_view piece) {
        char* target = value.data() + write;
        if (target != piece.data()) {
            std::memmove(target, piece.data(), piece.size());
        }
        write += piece.size();
    });
    value.resize(write);
}

void appendWithout(std::string& out, std::string_view text, std::string_view needle) {
    out.reserve(out.size() + text.size());
    forEachPieceBetween(text, needle, [&out](std::string_view piece) { out.append(piece); });
}

}  // namespace catalog
