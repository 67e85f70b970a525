#include "window/shown_status.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/paths.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

bool isSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}

// The first of `count` candidates, each shorter than the one before, that fits; `count` when none
// does. Halving: a strip is measured a few dozen times at most, whatever the path's length.
std::size_t firstFitting(std::size_t count, const std::function<bool(std::size_t)>& fitsAt) {
    std::size_t low = 0;
    std::size_t high = count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (fitsAt(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

// Where each of the path's names starts; the separators that begin it (the root, a share's
// "\\") belong to its first.
std::vector<std::size_t> nameStarts(std::string_view path) {
    std::vector<std::size_t> starts{0};
    std::size_t at = 0;
    while (at < path.size() && isSeparator(path[at])) {
        ++at;
    }
    for (; at < path.size(); ++at) {
        if (isSeparator(path[at])) {
            starts.push_back(at + 1);
        }
    }
    return starts;
}

// The path keeping `kept` of its names: its first (the drive or root) and, when four or more
// are kept, its second; then its last ones.
std::string withoutMiddleNames(std::string_view path, const std::vector<std::size_t>& starts,
                               std::size_t kept) {
    const std::size_t head = kept >= 4 ? 2 : 1;
    const std::size_t tail = kept - head;
    return std::string(path.substr(0, starts[head]))
        .append(kEllipsis)
        .append(path.substr(starts[starts.size() - tail] - 1));
}

// Where each character of `text` starts, and its end last.
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size();) {
        starts.push_back(at);
        at += std::max<std::size_t>(1, utf8SequenceLength(text, at));
    }
    starts.push_back(text.size());
    return starts;
}

// `text` keeping `kept` of its characters, half of them from its start and half from its end.
std::string withoutMiddleCharacters(std::string_view text, const std::vector<std::size_t>& starts,
                                    std::size_t kept) {
    const std::size_t characters = starts.size() - 1;
    return std::string(text.substr(0, starts[kept - kept / 2]))
        .append(kEllipsis)
        .append(text.substr(starts[characters - kept / 2]));
}

}  // namespace

std::string shownStatus(const StatusText& status, const StatusFits& fits) {
    const std::string_view text = status.text;
    const std::string_view path = text.substr(status.pathStart, status.pathLength);
    const auto withPath = [&](std::string_view shown) {
        return std::string(text.substr(0, status.pathStart))
            .append(shown)
            .append(text.substr(status.pathStart + path.size()));
    };
    if (!path.empty()) {
        const std::vector<std::size_t> names = nameStarts(path);
        const std::size_t cuts = names.size() > 2 ? names.size() - 1 : 1;
        const auto byNames = [&](std::size_t cut) {
            return cut == 0 ? std::string(path)
                            : withoutMiddleNames(path, names, names.size() - cut);
        };
        const std::size_t byName =
            firstFitting(cuts, [&](std::size_t cut) { return fits(withPath(byNames(cut))); });
        if (byName < cuts) {
            return withPath(byNames(byName));
        }
        // Each character fewer than the shortest path by names.
        const std::vector<std::size_t> characters = characterStarts(path);
        const std::size_t most =
            std::min(characterStarts(byNames(cuts - 1)).size() - 2, characters.size() - 2);
        const auto byCharacters = [&](std::size_t cut) {
            return withPath(withoutMiddleCharacters(path, characters, most - cut));
        };
        const std::size_t byCharacter =
            firstFitting(most + 1, [&](std::size_t cut) { return fits(byCharacters(cut)); });
        if (byCharacter <= most) {
            return byCharacters(byCharacter);
        }
    }
    // The words' end goes last, the path already an ellipsis.
    const std::string words = path.empty() ? std::string(text) : withPath(kEllipsis);
    if (path.empty() && fits(words)) {
        return words;
    }
    const std::vector<std::size_t> characters = characterStarts(words);
    const std::size_t count = characters.size() - 1;
    const auto cutAt = [&](std::size_t cut) {
        return words.substr(0, characters[count - 1 - cut]).append(kEllipsis);
    };
    const std::size_t byEnd =
        firstFitting(count, [&](std::size_t cut) { return fits(cutAt(cut)); });
    return byEnd < count ? cutAt(byEnd) : std::string(kEllipsis);
}

}  // namespace catalog::window
