#include "player/background/output_thread.h"

#include <chrono>
#include <thread>

namespace zumbrik {

namespace {

std::uint32_t PlayingSegment(WaveDevice& device) { return (device.GetPosition() >> 12) & (kRingSegments - 1); }

// A jump asked for by JumpToOrder takes effect at the next row start.
void ApplyJumpRequest(BackgroundPlayer& player) {
    const std::int32_t order = player.jumpRequest.exchange(-1, std::memory_order_relaxed);
    if (order >= 0) JumpInRenderer(player.renderer, player.play, player.control, order);
}

}  // namespace

void RunOutputThread(BackgroundPlayer& player) {
    for (;;) {
        const std::uint32_t playing = PlayingSegment(*player.device);
        player.control.levelLog.heardSegment.store(playing, std::memory_order_relaxed);
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (player.stopRequest.load(std::memory_order_relaxed) != 0) return;
            if (player.control.writeSegment == playing) break;
            ApplyJumpRequest(player);
            RenderRingSegment(player.renderer, player.mix, player.control, player.ring);
        }
    }
}

}  // namespace zumbrik
