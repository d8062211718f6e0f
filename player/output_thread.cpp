#include "player/output_thread.h"

#include <chrono>

#include "player/playback.h"

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#include <sched.h>
#elif defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#if defined(__MINGW32__)
#include <pthread.h>
#endif
#endif

namespace zumbrik {

namespace {

std::uint32_t PlayingSegment(WaveDevice& device) { return (device.GetPosition() >> 12) & (kRingSegments - 1); }

// A jump asked for by JumpToOrder takes effect at the next row start.
void ApplyJumpRequest(BackgroundPlayer& player) {
    const std::int32_t order = player.jumpRequest.exchange(-1, std::memory_order_relaxed);
    if (order < 0) return;
    player.state.pendingRow = 0;
    player.state.pendingOrder = order < player.state.songLength ? order : 0;
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
            if (RenderSegment(player.state, player.mix, player.control, player.ring) == SegmentOutcome::SongEnded) {
                // The handle stays with the player; the next stop joins this thread.
                player.stopRequest.store(1, std::memory_order_relaxed);
                ReleaseDeviceAndModule(player);
                return;
            }
        }
    }
}

void RaiseThreadPriority(std::thread& thread) {
#if defined(__unix__) || defined(__APPLE__)
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
#elif defined(__MINGW32__)
    // MinGW's std::thread runs on its POSIX thread layer: the system handle is behind it.
    SetThreadPriority(pthread_gethandle(thread.native_handle()), THREAD_PRIORITY_TIME_CRITICAL);
#elif defined(_WIN32)
    SetThreadPriority(thread.native_handle(), THREAD_PRIORITY_TIME_CRITICAL);
#else
    (void)thread;
#endif
}

}  // namespace zumbrik
