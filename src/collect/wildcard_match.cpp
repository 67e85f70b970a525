#include "collect/wildcard_match.h"

#include "collect/byte_search.h"

namespace catalog {

namespace {

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
