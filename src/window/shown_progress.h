#pragma once

#include <chrono>
#include <optional>
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

// What a screen reader reads as the status during a run: "Collecting: 120 of 3,000 pages", or
// that the pages are being looked for until the folder is listed.
std::string collectingName(const Progress& progress);

// The status's name during a run, set no more than once a second: a screen reader that reads it
// as it changes would otherwise speak of nothing else. Not announced: the user asks for it.
class SpokenProgress {
public:
    // The name to set now: the first at once, then a changed one a second after the last.
    std::optional<std::string> next(const Progress& progress,
                                    std::chrono::steady_clock::time_point now);
    // A new run: its first name is set at once.
    void reset() { m_last.clear(); }

private:
    std::string m_last;
    std::chrono::steady_clock::time_point m_lastAt;
};

}  // namespace catalog::window
