#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>

namespace catalog {

// A request to stop a run, made on any thread and seen by every thread of the run: between
// files, and while a large file is read and its fields are matched.
class StopFlag {
public:
    void request() noexcept { m_requested.store(true, std::memory_order_relaxed); }
    bool requested() const noexcept { return m_requested.load(std::memory_order_relaxed); }
    void clear() noexcept { m_requested.store(false, std::memory_order_relaxed); }

private:
    std::atomic<bool> m_requested{false};
};

// How a run ends when it was asked to stop: nothing is shown and nothing written.
class RunStopped : public std::runtime_error {
public:
    RunStopped() : std::runtime_error("the collection run was stopped") {}
};

// Most bytes read from a file between two looks at the stop: a stop is then seen well within a
// second, however large the file.
inline constexpr std::size_t kBytesBetweenStopChecks = std::size_t{128} * 1024;

// Throws RunStopped once `stop` (which may be null: never) is requested.
inline void stopIfRequested(const StopFlag* stop) {
    if (stop != nullptr && stop->requested()) {
        throw RunStopped();
    }
}

}  // namespace catalog
