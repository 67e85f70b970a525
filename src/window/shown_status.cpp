#include "window/shown_status.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ranges>
#include <vector>

#include "platform/paths.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

// The first of `count` candidates, each shorter than the one before, that fits; `count` when none
// does. Halving: a strip is laid out a few dozen times at most, whatever the path's length.
std::size_t firstFitting(std::size_t count, const std::function<bool(std::size_t)>& fitsAt) {
    return *std::ranges::partition_point(std::views::iota(std::size_t{0}, count),
                                         [&](std::size_t cut) { return !fitsAt(cut); });
}

std::string_view withoutEndBlank(std::string_view line) {
    return line.ends_with(' ') ? line.substr(0, line.size() - 1) : line;
}

// The pieces filled into the strip's lines, or nothing when they take more lines than it holds
// or one piece is wider than a line.
std::optional<std::string> laidOut(const std::vector<std::string_view>& pieces,
                                   const StatusStrip& strip) {
    std::string shown;
    std::string line;
    int lines = 1;
    for (const std::string_view piece : pieces) {
        const std::string longer = line + std::string(piece);
        if (strip.fits(withoutEndBlank(longer))) {
            line = longer;
            continue;
        }
        if (line.empty() || ++lines > strip.lines || !strip.fits(withoutEndBlank(piece))) {
            return std::nullopt;
        }
        shown.append(withoutEndBlank(line)).append("\n");
        line = piece;
    }
    return shown.append(withoutEndBlank(line));
}

std::optional<std::string> laidOut(std::string_view before, std::string_view path,
                                   std::string_view after, const StatusStrip& strip) {
    std::vector<std::string_view> pieces;
    addPieces(pieces, before, false);
    addPieces(pieces, path, true);
    addPieces(pieces, after, false);
    return laidOut(pieces, strip);
}

// Where each of the path's names starts; the separators that begin it (the root, a share's
// "\\") belong to its first.
std::vector<std::size_t> nameStarts(std::string_view path) {
    std::vector<std::size_t> starts{0};
    std::size_t at = 0;
    while (at < path.size() && isPathSeparator(path[at])) {
        ++at;
    }
    for (; at < path.size(); ++at) {
        if (isPathSeparator(path[at])) {
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

// The path shortened by names, then by characters, until the status fits; nothing when even an
// ellipsis in its place does not.
std::optional<std::string> withPathShortened(std::string_view before, std::string_view path,
                                             std::string_view after, const StatusStrip& strip) {
    std::optional<std::string> shown;
    const auto tried = [&](const std::string& shownPath) {
        shown = laidOut(before, shownPath, after, strip);
        return shown.has_value();
    };
    const std::vector<std::size_t> names = nameStarts(path);
    const std::size_t cuts = names.size() > 2 ? names.size() - 1 : 1;
    const auto byNames = [&](std::size_t cut) {
        return cut == 0 ? std::string(path) : withoutMiddleNames(path, names, names.size() - cut);
    };
    const std::size_t byName =
        firstFitting(cuts, [&](std::size_t cut) { return tried(byNames(cut)); });
    if (byName < cuts) {
        tried(byNames(byName));
        return shown;
    }
    // Each character fewer than the shortest path by names.
    const std::vector<std::size_t> characters = characterStarts(path);
    const std::size_t most =
        std::min(characterStarts(byNames(cuts - 1)).size() - 2, characters.size() - 2);
    const auto byCharacters = [&](std::size_t cut) {
        return withoutMiddleCharacters(path, characters, most - cut);
    };
    const std::size_t byCharacter =
        firstFitting(most + 1, [&](std::size_t cut) { return tried(byCharacters(cut)); });
    if (byCharacter <= most) {
        tried(byCharacters(byCharacter));
        return shown;
    }
    return std::nullopt;
}

}  // namespace

std::string shownStatus(const StatusText& status, const StatusStrip& strip) {
    const std::string_view text = status.text;
    const std::string_view before = text.substr(0, status.pathStart);
    const std::string_view path = text.substr(status.pathStart, status.pathLength);
    const std::string_view after = text.substr(status.pathStart + path.size());
    if (!path.empty()) {
        if (std::optional<std::string> shown = withPathShortened(before, path, after, strip)) {
            return *shown;
        }
    } else if (std::optional<std::string> shown = laidOut(text, {}, {}, strip)) {
        return *shown;
    }
    // The words' end goes last, the path already an ellipsis.
    const std::string words =
        std::string(before).append(path.empty() ? "" : kEllipsis).append(after);
    const std::vector<std::size_t> characters = characterStarts(words);
    const std::size_t count = characters.size() - 1;
    std::optional<std::string> shown;
    const auto tried = [&](std::size_t cut) {
        shown =
            laidOut(words.substr(0, characters[count - 1 - cut]).append(kEllipsis), {}, {}, strip);
        return shown.has_value();
    };
    const std::size_t byEnd = firstFitting(count, tried);
    return byEnd < count && tried(byEnd) ? *shown : std::string(kEllipsis);
}

}  // namespace catalog::window
