#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "player/background/segment_renderer.h"
#include "player/engine/play_records.h"
#include "player/play/play_renderer.h"
#include "player/song/loaded_song.h"
#include "platform/wave_device.h"

namespace zumbrik {

inline constexpr std::uint32_t kRingSamples = kRingSegments * kSegmentFrames * 2;
inline constexpr std::uint32_t kRingBytes = kRingSamples * 2;  // 65536
inline constexpr std::uint32_t kSegmentBytes = kRingBytes / kRingSegments;

// Everything one background player owns: the song, its play, the buffers, the
// device and the output thread. The game's player is one static instance
// that is never destroyed; a tool or test may run its own.
//
// Threads: starts, stops and device changes take `lifecycle`, so they run
// one at a time from any thread. Only they create, join and tear down; the
// output thread never takes the lock and never tears anything down, so a
// stop can always wait for it. While the thread runs it alone touches the
// play, the renderer, the buffers and the device's position; everything
// else it shares is atomic.
struct BackgroundPlayer {
    BackgroundPlayer() = default;
    ~BackgroundPlayer();  // stops playback first, so a running thread is never left behind
    BackgroundPlayer(const BackgroundPlayer&) = delete;
    BackgroundPlayer& operator=(const BackgroundPlayer&) = delete;

    std::mutex lifecycle;

    std::shared_ptr<const LoadedSong> song;
    Play play{};
    PlayRenderer renderer{play, PlayEnd{}};
    MixBuffer mix{};
    RenderControl control;
    alignas(16) std::int16_t ring[kRingSamples]{};
    WaveHeader header{};

    WaveDevice* device = nullptr;  // chosen by the program; null: no sound output
    bool deviceOpen = false;
    std::thread outputThread;
    // A tool's end of every song instead of its looping (0 rows: none); see EndSongsAfter.
    std::uint32_t endRows = 0;
    std::uint32_t endPosition = 0;

    // A song is started and not stopped (it may be paused, or over).
    std::atomic<bool> started{false};
    std::atomic<std::uint32_t> stopRequest{0};
    // An order to jump to, handed to the output thread (-1 none); the thread
    // owns the song's play, so it applies the jump itself between segments.
    std::atomic<std::int32_t> jumpRequest{-1};
};

}  // namespace zumbrik
