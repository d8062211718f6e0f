#include "player/background/module_player.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "player/mixer/cpu_dispatch.h"
#include "player/background/playback.h"

namespace zumbrik {

namespace {

// The one player of the program. It is built in static storage on first use
// and never destroyed: at exit the output thread may still be running, and
// destroying what it renders from would pull the floor from under it. An
// exit handler ends the thread instead (registered with the device).
BackgroundPlayer& ThePlayer() {
    alignas(BackgroundPlayer) static unsigned char storage[sizeof(BackgroundPlayer)];
    static BackgroundPlayer* const player = new (storage) BackgroundPlayer();
    return *player;
}

void StopAtExit() { StopPlayback(ThePlayer()); }

}  // namespace

std::uint32_t PlayModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags) {
    // A kernel request that could not be honoured is said, not fatal: music
    // is no reason for a program to refuse to run.
    if (const std::string line = TakeKernelProblem(); !line.empty()) {
        std::fprintf(stderr, "zumbrik: %s; using the %s kernels\n", line.c_str(),
                     KernelName(KernelSelectionAtStart().running));
    }
    return StartPlayback(ThePlayer(), source, sizeOrModule, flags);
}

void StopModule() { StopPlayback(ThePlayer()); }

void PauseModule() { ThePlayer().control.pauseFlag.store(1, std::memory_order_relaxed); }

void ResumeModule() { ThePlayer().control.pauseFlag.store(0, std::memory_order_relaxed); }

bool ModulePaused() { return ThePlayer().control.pauseFlag.load(std::memory_order_relaxed) != 0; }

void SetMasterVolume(std::uint32_t level) {
    ThePlayer().control.masterVolume.store(MasterVolumeForLevel(level), std::memory_order_relaxed);
}

void JumpToOrder(std::uint32_t order) {
    ThePlayer().jumpRequest.store(static_cast<std::int32_t>(order & 0xFFFF), std::memory_order_relaxed);
}

std::uint32_t GetPlayingLevels() {
    const LevelLog& log = ThePlayer().control.levelLog;
    return log.entries[log.dueIndex.load(std::memory_order_relaxed) % kRingSegments].levels.load(
        std::memory_order_relaxed);
}

std::uint32_t GetPlayingPosition() {
    const LevelLog& log = ThePlayer().control.levelLog;
    return log.entries[log.dueIndex.load(std::memory_order_relaxed) % kRingSegments].position.load(
        std::memory_order_relaxed);
}

void EndSongsAfter(std::uint32_t rows, std::uint32_t endPosition) {
    BackgroundPlayer& player = ThePlayer();
    StopPlayback(player);  // the output thread owns these while it runs
    player.control.endRows = rows;
    player.control.endPosition = endPosition;
}

bool PlayingPastSongEnd() {
    const LevelLog& log = ThePlayer().control.levelLog;
    return log.entries[log.dueIndex.load(std::memory_order_relaxed) % kRingSegments].pastSongEnd.load(
               std::memory_order_relaxed) != 0;
}

std::uint32_t GetElapsedMs() { return ThePlayer().control.levelLog.elapsedMs.load(std::memory_order_relaxed); }

void UseWaveDevice(WaveDevice* device) {
    static const bool exitHandlerRegistered = std::atexit(StopAtExit) == 0;
    (void)exitHandlerRegistered;
    BackgroundPlayer& player = ThePlayer();
    StopPlayback(player);
    player.device = device;
}

}  // namespace zumbrik
