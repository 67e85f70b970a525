// A file another program holds open without sharing it (Windows) is often let go within a
// moment: an editor saving it, a virus scanner or an indexer reading it. Opening it is tried
// again for a while before the run fails.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

namespace catalog {

// How long the files of one run are tried again: about a second a file, and a few seconds for
// the whole run, counted from the first file held, however many threads open files meanwhile.
// So a run with every page held ends within those seconds, whether its pages are opened one
// after the other or all at once. Shared by the threads that open the run's files.
class HeldFileWait {
public:
    using Clock = std::chrono::steady_clock;

    // `stopped` (may be empty) cuts every wait short once it says true.
    explicit HeldFileWait(std::function<bool()> stopped = {},
                          Clock::duration perFile = std::chrono::seconds(1),
                          Clock::duration perRun = std::chrono::seconds(10));
    HeldFileWait(const HeldFileWait&) = delete;
    HeldFileWait& operator=(const HeldFileWait&) = delete;

    // The tries of one file, first held at `since`: pauses before the next and returns true, or
    // returns false at once when the file's or the run's time is over.
    bool pauseBeforeRetry(Clock::time_point since);

private:
    Clock::time_point runDeadline(Clock::time_point since);

    const std::function<bool()> m_stopped;
    const Clock::duration m_perFile;
    const Clock::duration m_perRun;
    // Set by the first file held; until then, the epoch.
    std::atomic<Clock::time_point::rep> m_runDeadline{0};
};

}  // namespace catalog
