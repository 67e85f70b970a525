#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

#include "platform/interrupt_cleanup.h"

namespace catalog {

namespace {

// The handler may run on any thread at any moment, so it reads only fixed storage: a few slots,
// each a path and a state that says whether the path is complete.
enum SlotState : int { kFree, kFilling, kReady };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

constexpr int kSlots = 4;
Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeAndEnd(int signalNumber) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() == kReady) {
            ::unlink(slot.path);
        }
    }
    // Ended by the signal itself, so the parent sees the status it expects: raised again with
    // the default action, it is delivered as soon as this handler returns.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void installHandlers() {
    for (const int signalNumber : kSignals) {
        struct sigaction previous {};
        if (::sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) {
            continue;  // ignored (nohup, a background job) or handled by someone else
        }
        struct sigaction action {};
        action.sa_handler = removeAndEnd;
        sigfillset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

int claimSlot(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(kReady);
            return i;
        }
    }
    return -1;
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    m_slot = claimSlot(path);
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    if (m_slot >= 0) {
        g_slots[m_slot].state.store(kFree);
    }
}

}  // namespace catalog
