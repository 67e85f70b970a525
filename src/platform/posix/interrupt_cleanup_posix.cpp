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

// Every signal that can be caught and whose default action ends the process: from a user
// (Ctrl+C, Ctrl+\, a closed terminal), from another program (kill, timeout, a job scheduler's
// SIGUSR1 or real-time signals), from a limit (SIGXCPU, SIGXFSZ), or from a fault.
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

extern "C" void removeAndEnd(int signalNumber) {
    g_slots.forEachReady([](const char* path) { ::unlink(path); });
    // Ended by the signal itself, so the parent sees the status it expects: raised again with
    // the default action, it is delivered as soon as this handler returns (a fault, once the
    // faulting instruction runs again).
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void installHandler(int signalNumber) {
    struct sigaction previous {};
    if (::sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) {
        return;  // ignored (nohup, a background job) or handled by someone else
    }
    struct sigaction action {};
    action.sa_handler = removeAndEnd;
    sigfillset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
}

void installHandlers() {
    for (const int signalNumber : kEndingSignals) {
        installHandler(signalNumber);
    }
#ifdef SIGRTMIN
    for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) {
        installHandler(signalNumber);
    }
#endif
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
