#include "player/background/output_thread.h"

#include <chrono>
#include <thread>

#include "player/background/playback.h"
#include "player/engine/song_position.h"

namespace zumbrik {

namespace {

std::uint32_t PlayingSegment(WaveDevice& device) { return (device.GetPosition() >> 12) & (kRingSegments - 1); }

// A jump asked for by JumpToOrder takes effect at the next row start.
void ApplyJumpRequest(BackgroundPlayer& player) {
    const std::int32_t order = player.jumpRequest.exchange(-1, std::memory_order_relaxed);
    if (order < 0) return;
    JumpToOrderStart(player.play, order);
    player.control.jumped = true;
}

}  // namespace

void RunOutputThread(BackgroundPlayer& player) {
    for (;;) {
        const std::uint32_t playing = PlayingSegment(*player.device);
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (player.stopRequest.load(std::memory_order_relaxed) != 0) return;
            if (player.control.writeSegment == playing) break;
            if (player.control.pauseFlag.load(std::memory_order_relaxed) == 0) {
                LevelLog& log = player.control.levelLog;
                log.dueIndex.store((log.dueIndex.load(std::memory_order_relaxed) + 1) % kRingSegments,
                                   std::memory_order_relaxed);
            }
            ApplyJumpRequest(player);
            if (RenderSegment(player.play, player.mix, player.control, player.ring) == SegmentOutcome::SongEnded) {
                // The handle stays with the player; the next stop joins this thread.
                player.stopRequest.store(1, std::memory_order_relaxed);
                ReleaseDeviceAndModule(player);
                return;
            }
        }
    }
}

}  // namespace zumbrik
