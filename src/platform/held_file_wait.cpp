#include "platform/held_file_wait.h"

#include <algorithm>
#include <thread>

namespace catalog {

namespace {

// Tries come this often: soon enough after the other program lets go, seldom enough to cost
// nothing.
constexpr auto kPause = std::chrono::milliseconds(100);

}  // namespace

HeldFileWait::HeldFileWait(std::function<bool()> stopped, Clock::duration perFile,
                           Clock::duration perRun)
    : m_stopped(std::move(stopped)), m_perFile(perFile), m_perRun(perRun) {}

HeldFileWait::Clock::time_point HeldFileWait::runDeadline(Clock::time_point since) {
    Clock::time_point::rep deadline = m_runDeadline.load();
    if (deadline == 0) {
        const Clock::time_point::rep first = (since + m_perRun).time_since_epoch().count();
        // Only the first file held sets it; the others read what it set.
        deadline = m_runDeadline.compare_exchange_strong(deadline, first) ? first : deadline;
    }
    return Clock::time_point(Clock::duration(deadline));
}

bool HeldFileWait::pauseBeforeRetry(Clock::time_point since) {
    const Clock::time_point until = std::min(since + m_perFile, runDeadline(since));
    const Clock::time_point now = Clock::now();
    if (now >= until || (m_stopped && m_stopped())) {
        return false;
    }
    std::this_thread::sleep_for(std::min<Clock::duration>(kPause, until - now));
    return true;
}

}  // namespace catalog
