#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/engine/play_records.h"
#include "player/background/segment_renderer.h"
#include "platform/wave_device.h"

namespace zumbrik {

inline constexpr std::uint32_t kRingSamples = kRingSegments * kSegmentFrames * 2;
inline constexpr std::uint32_t kRingBytes = kRingSamples * 2;  // 65536
inline constexpr std::uint32_t kSegmentBytes = kRingBytes / kRingSegments;

// Everything one background player owns: the song, the buffers, the device
// and the output thread. The game's player is one static instance that is
// never destroyed; a tool or test may run its own.
struct BackgroundPlayer {
    BackgroundPlayer() = default;
    ~BackgroundPlayer();  // stops playback first, so a running thread is never left behind
    BackgroundPlayer(const BackgroundPlayer&) = delete;
    BackgroundPlayer& operator=(const BackgroundPlayer&) = delete;

    Song song{};
    Play play{};
    MixBuffer mix{};
    RenderControl control;
    alignas(16) std::int16_t ring[kRingSamples]{};
    WaveHeader header{};
    ModuleArena arena;
    ModuleSource source;

    WaveDevice* device = nullptr;  // chosen by the program; null: no sound output
    bool deviceOpen = false;
    bool moduleHeld = false;  // the arena holds a module
    std::thread outputThread;

    std::atomic<std::uint32_t> stopRequest{0};
    // An order to jump to, handed to the output thread (-1 none); the thread
    // owns the song play, so it applies the jump itself between segments.
    std::atomic<std::int32_t> jumpRequest{-1};
};

}  // namespace zumbrik
