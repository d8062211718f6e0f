#pragma once
#include <cstdint>

#include "player/background/background_player.h"
#include "player/background/module_player.h"

namespace zumbrik {

// The start sequence, under the player's lifecycle lock: stops what played,
// loads the module, opens the device, pre-renders the whole ring, starts the
// device and the output thread. On failure everything built so far is torn
// down and the result says why.
StartResult StartPlayback(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                         std::uint32_t flags);

// Ends the output thread (waiting for it), then releases the device and the song.
void StopPlayback(BackgroundPlayer& player);

// Stops, then plays through `device` from the next start on.
void ReplaceDevice(BackgroundPlayer& player, WaveDevice* device);

// Stops, then ends songs as EndSongsAfter says.
void SetSongEnd(BackgroundPlayer& player, std::uint32_t rows, std::uint32_t endPosition);

}  // namespace zumbrik
