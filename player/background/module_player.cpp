#include "player/background/module_player.h"

#include <cstdlib>
#include <new>

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

template <typename Field>
Field Heard(const std::atomic<Field> LevelLogEntry::*field) {
    return ThePlayer().control.levelLog.ReadHeard(field);
}

}  // namespace

StartResult StartModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags) {
    return StartPlayback(ThePlayer(), source, sizeOrModule, flags);
}

std::uint32_t PlayModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags) {
    return StartModule(source, sizeOrModule, flags).status == StartStatus::Playing ? 1 : 0;
}

void StopModule() { StopPlayback(ThePlayer()); }

void PauseModule() { ThePlayer().control.pauseFlag.store(1, std::memory_order_relaxed); }

void ResumeModule() { ThePlayer().control.pauseFlag.store(0, std::memory_order_relaxed); }

bool ModulePaused() { return ThePlayer().control.pauseFlag.load(std::memory_order_relaxed) != 0; }

bool ModulePlaying() {
    return ThePlayer().started.load(std::memory_order_relaxed) && Heard(&LevelLogEntry::pastSongEnd) == 0;
}

void SetMasterVolume(std::uint32_t level) {
    ThePlayer().control.masterVolume.store(MasterVolumeForLevel(level), std::memory_order_relaxed);
}

void JumpToOrder(std::uint32_t order) {
    ThePlayer().jumpRequest.store(static_cast<std::int32_t>(order & 0xFFFF), std::memory_order_relaxed);
}

std::uint32_t GetPlayingLevels() { return Heard(&LevelLogEntry::levels); }

std::uint32_t GetPlayingPosition() { return Heard(&LevelLogEntry::position); }

std::uint32_t GetElapsedMs() {
    return static_cast<std::uint32_t>(Heard(&LevelLogEntry::songFrames) * 1000 / kOutputFormat.samplesPerSec);
}

void EndSongsAfter(std::uint32_t rows, std::uint32_t endPosition) { SetSongEnd(ThePlayer(), rows, endPosition); }

bool PlayingPastSongEnd() { return Heard(&LevelLogEntry::pastSongEnd) != 0; }

void UseWaveDevice(WaveDevice* device) {
    static const bool exitHandlerRegistered = std::atexit(StopAtExit) == 0;
    (void)exitHandlerRegistered;
    ReplaceDevice(ThePlayer(), device);
}

}  // namespace zumbrik
