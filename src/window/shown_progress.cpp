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

}  // namespace catalog::window
