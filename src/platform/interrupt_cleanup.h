#pragma once

#include <string>

namespace catalog {

// Removes a half-written file should a signal end the process while the object lives (on POSIX
// every signal that can be caught and ends a process by default: SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, real-time signals, faults...; on Windows Ctrl+C, Ctrl+Break
// and a closed console); the process then ends as the signal would have ended it. Signals the
// process was told to ignore stay ignored. The path should be registered before the file is
// created, so that no moment is left in which the file exists unwatched. SIGKILL cannot be caught:
// a killed process may still leave the file.
class RemovedOnInterrupt {
public:
    explicit RemovedOnInterrupt(const std::string& path);
    ~RemovedOnInterrupt();
    RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
    RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;

private:
    int m_slot;  // -1 when every slot was taken or the path too long: nothing is removed then
};

}  // namespace catalog
