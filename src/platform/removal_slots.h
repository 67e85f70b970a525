#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace catalog {

// A few paths kept where a signal or console handler can read them at any moment, on any thread:
// fixed storage, no allocation, no lock; each slot has a state that says whether its path is
// complete.
template <typename Char, std::size_t MostChars, int Count = 4>
class RemovalSlots {
public:
    // The slot now holding `path`, or -1 when every slot is taken or the path too long.
    int claim(std::basic_string_view<Char> path) {
        if (path.size() >= MostChars) {
            return -1;
        }
        for (int i = 0; i < Count; ++i) {
            int expected = kFree;
            if (m_slots[i].state.compare_exchange_strong(expected, kFilling)) {
                std::memcpy(m_slots[i].path, path.data(), path.size() * sizeof(Char));
                m_slots[i].path[path.size()] = Char{};
                m_slots[i].state.store(kReady);
                return i;
            }
        }
        return -1;
    }

    void release(int slot) {
        if (slot >= 0) {
            m_slots[slot].state.store(kFree);
        }
    }

    // For the handler: each complete path, NUL-terminated.
    template <typename Take>
    void forEachReady(Take take) {
        for (Slot& slot : m_slots) {
            if (slot.state.load() == kReady) {
                take(slot.path);
            }
        }
    }

private:
    enum State : int { kFree, kFilling, kReady };
    struct Slot {
        std::atomic<int> state{kFree};
        Char path[MostChars];
    };
    static_assert(std::atomic<int>::is_always_lock_free);

    Slot m_slots[Count];
};

}  // namespace catalog
