#include "player/background/playback.h"

#include <system_error>

#include "player/background/module_player.h"
#include "player/background/output_thread.h"
#include "player/formats/song_loader.h"
#include "platform/thread_priority.h"

namespace zumbrik {

namespace {

ModuleSource ChooseSource(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                          std::uint32_t flags) {
    if (flags & MemorySource) {
        return MakeMemorySource(reinterpret_cast<const void*>(source), static_cast<std::uint32_t>(sizeOrModule));
    }
    if (flags & FileSource) return MakeFileSource(reinterpret_cast<const char*>(source), player.mix.fileCache);
    return MakeResourceSource(source, sizeOrModule);
}

std::uint32_t FailureExit(BackgroundPlayer& player) {
    ReleaseDeviceAndModule(player);
    return 0;
}

}  // namespace

BackgroundPlayer::~BackgroundPlayer() { StopPlayback(*this); }

std::uint32_t StartPlayback(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                            std::uint32_t flags) {
    StopPlayback(player);
    // The game never passes 0; taken as "stop the music" and reported as no music playing.
    if (source == 0) return 0;

    player.source = ChooseSource(player, source, sizeOrModule, flags);
    player.control.playOnce.store((flags & PlayOnce) != 0 ? 1 : 0, std::memory_order_relaxed);
    player.control.pauseFlag.store((flags & StartPaused) != 0 ? 1 : 0, std::memory_order_relaxed);
    if (player.control.masterVolume.load(std::memory_order_relaxed) == 0) {
        player.control.masterVolume.store(32768, std::memory_order_relaxed);
    }
    player.jumpRequest.store(-1, std::memory_order_relaxed);
    player.control.rowsStarted = 0;
    player.control.songFrames = 0;
    player.control.jumped = false;
    player.control.songOver = false;

    player.deviceOpen = player.device != nullptr && player.device->Open(kOutputFormat);
    // Without a device the write below would fail anyway; a machine without
    // sound need not load and pre-render a song first to learn that.
    if (!player.deviceOpen) return FailureExit(player);
    player.moduleHeld = true;

    const LoadResult loaded = LoadModule(player.source, player.arena, player.song);
    player.source.Close();
    if (loaded != LoadResult::Loaded) return FailureExit(player);
    ResetPlay(player.play, player.song);

    player.header = WaveHeader{reinterpret_cast<std::uint8_t*>(player.ring), kRingBytes, WhdrBeginLoop | WhdrEndLoop,
                               0xFFFFFFFFu};
    player.device->PrepareHeader(player.header);

    for (std::uint32_t segment = 0; segment < kRingSegments; ++segment) {
        if (RenderSegment(player.play, player.mix, player.control, player.ring) == SegmentOutcome::SongEnded) {
            // A play-once song shorter than the ring ends before it could start.
            return FailureExit(player);
        }
    }

    player.stopRequest.store(0, std::memory_order_relaxed);
    if (!player.device->Write(player.header)) return FailureExit(player);

    try {
        player.outputThread = std::thread(RunOutputThread, std::ref(player));
    } catch (const std::system_error&) {
        return FailureExit(player);
    }
    RaiseThreadPriority(player.outputThread);
    return 1;
}

void StopPlayback(BackgroundPlayer& player) {
    if (player.outputThread.joinable()) {
        player.stopRequest.store(1, std::memory_order_relaxed);
        player.outputThread.join();
    }
    ReleaseDeviceAndModule(player);
}

void ReleaseDeviceAndModule(BackgroundPlayer& player) {
    player.control.writeSegment = 0;
    if (player.deviceOpen) {
        player.deviceOpen = false;
        player.device->Reset();
        player.device->UnprepareHeader(player.header);
        player.device->Close();
    }
    if (player.moduleHeld) {
        player.moduleHeld = false;
        player.arena.Release();
        player.song = Song{};
        player.play = Play{};
        player.control.levelLog.Clear();
    }
}

}  // namespace zumbrik
