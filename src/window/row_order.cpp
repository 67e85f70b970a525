#include "window/row_order.h"

#include <algorithm>
#include <iterator>

#include "collect/ascii_text.h"

namespace catalog::window {

namespace {

unsigned char folded(char c) {
    return static_cast<unsigned char>(asciiLower(c));
}

std::size_t digitsEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    return at;
}

// Two whole numbers: leading zeros say nothing, then the longer is the larger, then the digits
// decide.
std::weak_ordering compareWhole(std::string_view a, std::string_view b) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) {
        return a.size() <=> b.size();
    }
    return a.compare(b) <=> 0;
}

// The digits after a point: place by place, a missing one being a zero ("5" is "50").
std::weak_ordering compareFraction(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const char da = i < a.size() ? a[i] : '0';
        const char db = i < b.size() ? b[i] : '0';
        if (da != db) {
            return da <=> db;
        }
    }
    return std::weak_ordering::equivalent;
}

// Orders keys for sortKeys and mergeKeys: a field not found after every value.
struct KeyLess {
    SortDirection direction;

    bool operator()(const SortKey& x, const SortKey& y) const {
        if (x.notFound || y.notFound) {
            return !x.notFound;
        }
        const std::weak_ordering order = compareValues(x.value, y.value);
        return direction == SortDirection::Descending ? order > 0 : order < 0;
    }
};

}  // namespace

SortState sortAfterClick(SortState sort, std::size_t column) {
    if (sort.column != column || sort.direction == SortDirection::None) {
        return {column, SortDirection::Ascending};
    }
    if (sort.direction == SortDirection::Ascending) {
        return {column, SortDirection::Descending};
    }
    return {column, SortDirection::None};
}

// Both values are read in step, so what came before (a number, then a point) is the same for
// both when a run of digits starts in each.
std::weak_ordering compareValues(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    bool afterNumber = false;  // the last thing read was a whole number
    bool inFraction = false;   // ... then a point: the digits that follow are a fraction
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t endA = digitsEnd(a, i);
            const std::size_t endB = digitsEnd(b, j);
            const std::string_view digitsA = a.substr(i, endA - i);
            const std::string_view digitsB = b.substr(j, endB - j);
            const std::weak_ordering order =
                inFraction ? compareFraction(digitsA, digitsB) : compareWhole(digitsA, digitsB);
            if (order != 0) {
                return order;
            }
            afterNumber = !inFraction;
            inFraction = false;
            i = endA;
            j = endB;
            continue;
        }
        if (folded(a[i]) != folded(b[j])) {
            return folded(a[i]) <=> folded(b[j]);
        }
        inFraction = afterNumber && a[i] == '.';
        afterNumber = false;
        ++i;
        ++j;
    }
    return (a.size() - i) <=> (b.size() - j);
}

void sortKeys(std::vector<SortKey>& keys, SortDirection direction) {
    std::stable_sort(keys.begin(), keys.end(), KeyLess{direction});
}

// Where keys compare equal, std::merge takes the first range's first: the rows shown, which
// were collected earlier.
void mergeKeys(std::vector<SortKey>& shown, std::vector<SortKey> added, SortDirection direction) {
    std::vector<SortKey> merged;
    merged.reserve(shown.size() + added.size());
    std::merge(shown.begin(), shown.end(), added.begin(), added.end(), std::back_inserter(merged),
               KeyLess{direction});
    shown = std::move(merged);
}

}  // namespace catalog::window
