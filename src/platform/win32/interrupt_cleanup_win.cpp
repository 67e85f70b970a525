#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/interrupt_cleanup.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

// The handler runs on a thread of its own that the system starts, at any moment, so it reads
// only fixed storage: a few slots, each a path and a state that says whether the path is
// complete.
enum SlotState : int { kFree, kFilling, kReady };

// As long as the longest path the system takes, "\\?\" prefix included.
constexpr std::size_t kMostPathChars = 32768;

struct Slot {
    std::atomic<int> state{kFree};
    wchar_t path[kMostPathChars];
};

constexpr int kSlots = 4;
Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

// Ctrl+C, Ctrl+Break, a closed console window, a log-off or a shut-down. Removing the file
// does not wait for the thread that writes it: the file is opened to allow that, and goes
// when the process ends and its handle closes.
BOOL WINAPI removeAndEnd(DWORD /*event*/) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() == kReady) {
            ::DeleteFileW(slot.path);
        }
    }
    // Not handled: the next handler, in the end the system's own, ends the process as the
    // event would have ended it.
    return FALSE;
}

int claimSlot(const std::string& path) {
    const std::wstring wide = win32::widePath(path);
    if (wide.size() >= kMostPathChars) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_slots[i].path, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
            g_slots[i].state.store(kReady);
            return i;
        }
    }
    return -1;
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, [] { ::SetConsoleCtrlHandler(removeAndEnd, TRUE); });
    m_slot = claimSlot(path);
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    if (m_slot >= 0) {
        g_slots[m_slot].state.store(kFree);
    }
}

}  // namespace catalog
