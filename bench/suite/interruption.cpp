#include "bench/suite/interruption.h"

#include <atomic>
#include <cstring>

namespace {

// A signal handler may read a slot at any moment, so a slot's path is
// written while the slot is claimed and shown only once it is complete.
enum SlotState { kFree, kClaimed, kWatched };

constexpr int kSlots = 8;
constexpr std::size_t kPathBytes = 4096;

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};
static_assert(std::atomic<int>::is_always_lock_free, "a handler must read the slots without a lock");

Slot slots[kSlots];

}  // namespace

void WatchTemporaryFile(const std::string& path) {
    if (path.size() >= kPathBytes) return;
    for (Slot& slot : slots) {
        int free = kFree;
        if (!slot.state.compare_exchange_strong(free, kClaimed)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kWatched);
        return;
    }
}

void ForgetTemporaryFile(const std::string& path) {
    for (Slot& slot : slots) {
        int watched = kWatched;
        if (slot.state.load() == kWatched && path == slot.path &&
            slot.state.compare_exchange_strong(watched, kFree))
            return;
    }
}

void ForEachWatchedFile(void (*remove)(const char* path)) {
    for (Slot& slot : slots)
        if (slot.state.load() == kWatched) remove(slot.path);
}
