#include "platform/memory_reserve.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace catalog {

namespace {

// Enough for a few exceptions and the texts of one failure message.
constexpr std::size_t kReserveBytes = std::size_t{64} * 1024;

std::atomic<void*> g_reserve{nullptr};

// Called by operator new, on any thread, when the memory it asked for is not there.
void releaseReserveAndFail() {
    std::free(g_reserve.exchange(nullptr));
    throw std::bad_alloc();
}

}  // namespace

bool memoryFor(std::size_t bytes) {
    // Through a volatile, so that the compiler keeps the allocation, which it could otherwise
    // take for one without effect and leave out.
    void* volatile probe = std::malloc(bytes == 0 ? 1 : bytes);
    const bool had = probe != nullptr;
    std::free(probe);
    return had;
}

bool keepMemoryForFailures() {
    if (g_reserve.load() == nullptr) {
        void* reserve = std::malloc(kReserveBytes);
        if (reserve == nullptr) {
            return false;
        }
        void* none = nullptr;
        if (!g_reserve.compare_exchange_strong(none, reserve)) {
            std::free(reserve);
        }
    }
    std::set_new_handler(releaseReserveAndFail);
    return true;
}

}  // namespace catalog
