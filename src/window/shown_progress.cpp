#include "window/shown_progress.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "collect/readable_numbers.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

// A bar takes ints: a page of 60 GB and its bytes read are halved together until they fit.
ShownProgress onBar(std::uint64_t part, std::uint64_t whole) {
    while (whole > INT_MAX) {
        whole >>= 1;
        part >>= 1;
    }
    return {static_cast<int>(std::min(part, whole)), static_cast<int>(whole), {}};
}

}  // namespace

ShownProgress shownProgress(const Progress& progress) {
    if (!progress.slowPage) {
        return onBar(progress.done, progress.total);
    }
    const SlowPage& page = *progress.slowPage;
    ShownProgress shown = onBar(page.read, page.size);
    shown.note = "Reading " + displayText(page.name) + ": " + readableBytes(page.read) +
                 (page.size > 0 ? " of " + readableBytes(page.size) : " read");
    return shown;
}

std::string collectingName(const Progress& progress) {
    if (progress.total == 0) {
        return "Collecting: looking for pages";  // the folder is still being listed
    }
    return "Collecting: " + grouped(progress.done) + " of " + counted(progress.total, "page");
}

std::optional<std::string> SpokenProgress::next(const Progress& progress,
                                                std::chrono::steady_clock::time_point now) {
    std::string name = collectingName(progress);
    if (name == m_last || (!m_last.empty() && now - m_lastAt < std::chrono::seconds(1))) {
        return std::nullopt;
    }
    m_last = name;
    m_lastAt = now;
    return name;
}

}  // namespace catalog::window
