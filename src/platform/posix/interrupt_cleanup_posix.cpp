#include <climits>
#include <csignal>
#include <mutex>
#include <unistd.h>

#include "platform/interrupt_cleanup.h"
#include "platform/removal_slots.h"

namespace catalog {

namespace {

// The handler may run on any thread at any moment, so it reads only fixed storage.
RemovalSlots<char, PATH_MAX> g_slots;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeAndEnd(int signalNumber) {
    g_slots.forEachReady([](const char* path) { ::unlink(path); });
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

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    m_slot = g_slots.claim(path);
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    g_slots.release(m_slot);
}

}  // namespace catalog
