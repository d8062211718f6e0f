#include "player/background/playback.h"

#include <new>
#include <system_error>

#include "player/background/output_thread.h"
#include "player/engine/song_scan.h"
#include "player/formats/song_loader.h"
#include "platform/thread_priority.h"

namespace zumbrik {

namespace {

// Reads the module from the source the flags choose. A file is read through
// the mix buffer as its cache: nothing renders while a song loads.
SongLoad LoadFromSource(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                        std::uint32_t flags) {
    if (flags & MemorySource) return LoadSongFromMemory(reinterpret_cast<const void*>(source), sizeOrModule);
    ModuleSource from = (flags & FileSource) != 0
                            ? MakeFileSource(reinterpret_cast<const char*>(source), player.mix.fileCache)
                            : MakeResourceSource(source, sizeOrModule);
    return LoadSong(from);
}

// Where the song ends: a tool's end, one pass for PlayOnce, else nowhere.
PlayEnd ChooseSongEnd(BackgroundPlayer& player, std::uint32_t flags) {
    RenderControl& control = player.control;
    control.endRowKnown = false;
    if (player.endRows != 0) {
        control.endRowKnown = true;
        control.endOrder = static_cast<std::int32_t>(player.endPosition >> 16);
        control.endRow = static_cast<std::int32_t>(player.endPosition & 0xFFFF);
        return PlayEnd{true, player.endRows};
    }
    if ((flags & PlayOnce) == 0) return PlayEnd{};
    const SongScan scan = ScanSong(player.song->song, 1, kOutputFormat.samplesPerSec);
    // Without a known end the pass ends once the song runs off its last order.
    if (scan.capped) return PlayEnd{true, 0};
    control.endRowKnown = true;
    control.endOrder = scan.endOrder;
    control.endRow = scan.endRow;
    return PlayEnd{true, scan.rowStarts};
}

// The teardown once no output thread runs.
void ReleaseDeviceAndSong(BackgroundPlayer& player) {
    if (player.deviceOpen) {
        player.deviceOpen = false;
        player.device->Reset();
        player.device->UnprepareHeader(player.header);
        player.device->Close();
    }
    player.song.reset();
    player.control.Restart();
}

void StopLocked(BackgroundPlayer& player) {
    player.started.store(false, std::memory_order_relaxed);
    if (player.outputThread.joinable()) {
        player.stopRequest.store(1, std::memory_order_relaxed);
        player.outputThread.join();
    }
    ReleaseDeviceAndSong(player);
}

StartResult Failure(BackgroundPlayer& player, StartStatus status, LoadResult load = LoadResult::Loaded) {
    ReleaseDeviceAndSong(player);
    return StartResult{status, load};
}

}  // namespace

BackgroundPlayer::~BackgroundPlayer() { StopPlayback(*this); }

StartResult StartPlayback(BackgroundPlayer& player, std::uintptr_t source, std::uintptr_t sizeOrModule,
                         std::uint32_t flags) {
    const std::lock_guard lock(player.lifecycle);
    StopLocked(player);
    // The game never passes 0; taken as "stop the music".
    if (source == 0) return StartResult{StartStatus::NothingToPlay};

    PlayEnd end;
    try {
        SongLoad load = LoadFromSource(player, source, sizeOrModule, flags);
        if (!load.song) return Failure(player, StartStatus::NotLoaded, load.result);
        player.song = std::move(load.song);
        end = ChooseSongEnd(player, flags);
    } catch (const std::bad_alloc&) {
        return Failure(player, StartStatus::NoMemory);
    }
    ResetPlay(player.play, player.song->song, kOutputFormat.samplesPerSec);
    player.renderer.Restart(end);
    player.control.Restart();
    player.control.pauseFlag.store((flags & StartPaused) != 0 ? 1 : 0, std::memory_order_relaxed);
    if (player.control.masterVolume.load(std::memory_order_relaxed) == 0) {
        player.control.masterVolume.store(kUnityVolume, std::memory_order_relaxed);
    }
    // A jump asked for before this start was meant for the song before.
    player.jumpRequest.store(-1, std::memory_order_relaxed);

    player.deviceOpen = player.device != nullptr && player.device->Open(kOutputFormat);
    if (!player.deviceOpen) return Failure(player, StartStatus::NoDevice);
    player.header = WaveHeader{reinterpret_cast<std::uint8_t*>(player.ring), kRingBytes, WhdrBeginLoop | WhdrEndLoop,
                               0xFFFFFFFFu};
    player.device->PrepareHeader(player.header);
    // The whole ring ahead, so the device has a ring of sound before the
    // output thread first runs; a song shorter than that is followed by silence.
    for (std::uint32_t segment = 0; segment < kRingSegments; ++segment) {
        RenderRingSegment(player.renderer, player.mix, player.control, player.ring);
    }

    player.stopRequest.store(0, std::memory_order_relaxed);
    if (!player.device->Write(player.header)) return Failure(player, StartStatus::NoDevice);
    try {
        player.outputThread = std::thread(RunOutputThread, std::ref(player));
    } catch (const std::system_error&) {
        return Failure(player, StartStatus::NoMemory);
    }
    RaiseThreadPriority(player.outputThread);
    player.started.store(true, std::memory_order_relaxed);
    return StartResult{StartStatus::Playing};
}

void StopPlayback(BackgroundPlayer& player) {
    const std::lock_guard lock(player.lifecycle);
    StopLocked(player);
}

void ReplaceDevice(BackgroundPlayer& player, WaveDevice* device) {
    const std::lock_guard lock(player.lifecycle);
    StopLocked(player);
    player.device = device;
}

void SetSongEnd(BackgroundPlayer& player, std::uint32_t rows, std::uint32_t endPosition) {
    const std::lock_guard lock(player.lifecycle);
    StopLocked(player);
    player.endRows = rows;
    player.endPosition = endPosition;
}

}  // namespace zumbrik
