#include "collect/byte_search.h"

#include <cstring>
#include <vector>

namespace catalog {

namespace {

// Backward search by the needle's last byte: memrchr finds candidates at vector speed and memcmp
// confirms them. Some texts (long runs of one byte) make almost every position a false
// candidate; once the wasted comparisons outweigh the text scanned, the search hands over to a
// linear-time scan so that no input can make it quadratic.
constexpr std::size_t kWastedWorkAllowance = 4096;

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

}  // namespace

std::size_t findFirst(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return 0;
    }
    const void* hit = memmem(text.data(), text.size(), needle.data(), needle.size());
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : kNotFound;
}

std::size_t findLast(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0) {
        return text.size();
    }
    if (m > text.size()) {
        return kNotFound;
    }
    const unsigned char lastByte = static_cast<unsigned char>(needle.back());
    // `end` is one past the last byte a candidate may end on.
    std::size_t end = text.size();
    std::size_t wasted = 0;
    while (end >= m) {
        const void* hit = memrchr(text.data() + m - 1, lastByte, end - (m - 1));
        if (!hit) {
            return kNotFound;
        }
        const std::size_t candidateEnd = static_cast<const char*>(hit) - text.data() + 1;
        const std::size_t start = candidateEnd - m;
        if (std::memcmp(text.data() + start, needle.data(), m - 1) == 0) {
            return start;
        }
        wasted += m;
        if (wasted > kWastedWorkAllowance + (text.size() - start)) {
            return findLastLinear(text, needle, candidateEnd - 1);
        }
        end = candidateEnd - 1;
    }
    return kNotFound;
}

void eraseAll(std::string& value, std::string_view needle) {
    if (needle.empty()) {
        return;
    }
    // Compacts in place: the write position never passes the read position, so every search
    // still sees the original bytes.
    std::size_t read = 0;
    std::size_t write = 0;
    for (;;) {
        const std::size_t hit = findFirst(std::string_view(value).substr(read), needle);
        const std::size_t keep = hit == kNotFound ? value.size() - read : hit;
        if (write != read) {
            std::memmove(value.data() + write, value.data() + read, keep);
        }
        write += keep;
        if (hit == kNotFound) {
            break;
        }
        read += hit + needle.size();
    }
    value.resize(write);
}

}  // namespace catalog
