#pragma once
#include <cstdint>

#include "player/background/background_player.h"

namespace zumbrik {

// The start sequence: stops what played, loads the module, pre-renders the
// whole ring, starts the device and the output thread. Non-zero on success;
// on failure everything built so far is torn down and the result is 0.
std::uint32_t StartPlayback(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                            std::uint32_t flags);

// Ends the output thread (waiting for it), then releases the device and the module.
void StopPlayback(BackgroundPlayer& player);

// The teardown after the thread is gone, or from the output thread itself when
// a play-once song ends: resets and closes the device, frees the module and
// clears the level log.
void ReleaseDeviceAndModule(BackgroundPlayer& player);

}  // namespace zumbrik
