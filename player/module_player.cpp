#include "player/module_player.h"

#include <atomic>

namespace zumbrik {

namespace {
std::atomic<bool> pauseFlag{false};
}  // namespace

// The module player is not built yet: PlayModule reports failure, which is the
// path on which the game runs on without music. The pause flag is kept so the
// game's music keys already behave as they will with the player.
std::uint32_t PlayModule(std::uintptr_t, std::uintptr_t, std::uint32_t flags) {
    pauseFlag.store((flags & StartPaused) != 0, std::memory_order_relaxed);
    return 0;
}

void StopModule() {}
void PauseModule() { pauseFlag.store(true, std::memory_order_relaxed); }
void ResumeModule() { pauseFlag.store(false, std::memory_order_relaxed); }
bool ModulePaused() { return pauseFlag.load(std::memory_order_relaxed); }

}  // namespace zumbrik
