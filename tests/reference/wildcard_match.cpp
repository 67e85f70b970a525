// Reference routines for the tests, the fuzzer and the benchmarks: see wildcard_match.h.
#include "reference/wildcard_match.h"

#include <vector>

namespace catalog {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// Knuth-Morris-Pratt's table: border[i] is the length of the longest proper border of the
// first i+1 bytes of `needle` read through `at`.
template <typename At>
std::vector<std::size_t> bordersOf(std::size_t length, At at) {
    std::vector<std::size_t> border(length, 0);
    for (std::size_t i = 1, k = 0; i < length; ++i) {
        while (k > 0 && at(i) != at(k)) {
            k = border[k - 1];
        }
        if (at(i) == at(k)) {
            ++k;
        }
        border[i] = k;
    }
    return border;
}

// The first occurrence of `needle` in `text`, in linear time whatever the bytes; an empty
// needle is found at 0.
std::size_t findFirst(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0) {
        return 0;
    }
    const auto at = [needle](std::size_t i) { return needle[i]; };
    const std::vector<std::size_t> border = bordersOf(m, at);
    for (std::size_t pos = 0, matched = 0; pos < text.size(); ++pos) {
        while (matched > 0 && text[pos] != needle[matched]) {
            matched = border[matched - 1];
        }
        matched += text[pos] == needle[matched] ? 1 : 0;
        if (matched == m) {
            return pos + 1 - m;
        }
    }
    return kNotFound;
}

// The last occurrence of `needle` lying wholly inside `text`: the same search run backwards
// with the needle reversed. An empty needle is found at text.size().
std::size_t findLast(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0) {
        return text.size();
    }
    const auto at = [needle, m](std::size_t i) { return needle[m - 1 - i]; };
    const std::vector<std::size_t> border = bordersOf(m, at);
    for (std::size_t pos = text.size(), matched = 0; pos > 0; --pos) {
        const char byte = text[pos - 1];
        while (matched > 0 && byte != at(matched)) {
            matched = border[matched - 1];
        }
        matched += byte == at(matched) ? 1 : 0;
        if (matched == m) {
            return pos - 1;
        }
    }
    return kNotFound;
}

struct Tail {
    std::size_t latestStart;  // where the literal after the head starts, as late as possible
    std::size_t end;          // one past the match's last byte
};

// Places the literals after the first wildcard, from the last one backwards, each at its
// latest occurrence that still leaves room for the ones after it.
std::optional<Tail> placeTail(std::string_view tail, std::string_view text) {
    std::size_t limit = text.size();
    std::optional<std::size_t> end;
    for (;;) {
        const std::size_t cut = tail.rfind(kWildcard);
        const std::string_view literal =
            cut == std::string_view::npos ? tail : tail.substr(cut + kWildcard.size());
        const std::size_t at = findLast(text.substr(0, limit), literal);
        if (at == kNotFound) {
            return std::nullopt;
        }
        if (!end) {
            end = at + literal.size();
        }
        limit = at;
        if (cut == std::string_view::npos) {
            return Tail{limit, *end};
        }
        tail = tail.substr(0, cut);
    }
}

bool hasLiteralBytes(std::string_view pattern) {
    for (std::size_t at = 0; at < pattern.size(); at += kWildcard.size()) {
        const std::size_t next = pattern.find(kWildcard, at);
        if (next != at) {
            return true;
        }
    }
    return false;
}

// A literal pattern's matches do not overlap, so the last one is not always its last
// occurrence: "aa" in "aaa" matches at 0 only. Each search starts where the previous match
// ended, so the text is scanned once.
std::optional<std::string_view> lastOfSuccessive(std::string_view literal, std::string_view text) {
    std::optional<std::string_view> last;
    for (std::size_t from = 0;;) {
        const std::size_t at = findFirst(text.substr(from), literal);
        if (at == kNotFound) {
            return last;
        }
        last = text.substr(from + at, literal.size());
        from += at + literal.size();
    }
}

}  // namespace

std::optional<std::string_view> lastMatch(std::string_view pattern, std::string_view text) {
    // A pattern that can match nothing at all matches once more, empty, at the end of the text
    // after any earlier match, and that empty match is the last one.
    if (!hasLiteralBytes(pattern)) {
        return text.substr(text.size());
    }
    const std::size_t firstCut = pattern.find(kWildcard);
    if (firstCut == std::string_view::npos) {
        return lastOfSuccessive(pattern, text);
    }
    const std::string_view head = pattern.substr(0, firstCut);
    const std::optional<Tail> tail = placeTail(pattern.substr(firstCut + kWildcard.size()), text);
    if (!tail) {
        return std::nullopt;
    }
    // The earliest head with the rest of the pattern after it starts the leftmost match; the
    // greedy wildcards stretch that match to the final literal's last occurrence, so no second
    // match can follow it.
    const std::size_t start = findFirst(text.substr(0, tail->latestStart), head);
    if (start == kNotFound) {
        return std::nullopt;
    }
    return text.substr(start, tail->end - start);
}

}  // namespace catalog
