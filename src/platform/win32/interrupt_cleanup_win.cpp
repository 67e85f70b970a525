#include <mutex>

#include "platform/interrupt_cleanup.h"
#include "platform/removal_slots.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

// The handler runs on a thread of its own that the system starts, at any moment, so it reads
// only fixed storage. A slot is as long as the longest path the system takes, "\\?\" prefix
// included.
RemovalSlots<wchar_t, 32768> g_slots;

// Ctrl+C, Ctrl+Break, a closed console window, a log-off or a shut-down. Removing the file
// does not wait for the thread that writes it: the file is opened to allow that, and goes
// when the process ends and its handle closes.
BOOL WINAPI removeAndEnd(DWORD /*event*/) {
    g_slots.forEachReady([](const wchar_t* path) { ::DeleteFileW(path); });
    // Not handled: the next handler, in the end the system's own, ends the process as the
    // event would have ended it.
    return FALSE;
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, [] { ::SetConsoleCtrlHandler(removeAndEnd, TRUE); });
    m_slot = g_slots.claim(win32::widePath(path));
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    g_slots.release(m_slot);
}

}  // namespace catalog
