#pragma once

#include <string>

#include "window/window_run.h"

namespace catalog::window {

// What a window shows of a run under way, the same in every toolkit: the bar counts the pages
// read, or, while one page takes long, that page's bytes read; the line under the bar names it.
struct ShownProgress {
    int value = 0;
    int maximum = 0;   // 0: nothing to measure yet, the bar only shows that work goes on
    std::string note;  // "Reading big.html: 1.2 GB of 60 GB", UTF-8; empty but for a slow page

    bool operator==(const ShownProgress&) const = default;
};

ShownProgress shownProgress(const Progress& progress);

}  // namespace catalog::window
