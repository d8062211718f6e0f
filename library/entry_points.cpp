// The background player's C entry points over the player's C++ ones.
#include <cstdint>
#include <mutex>

#include "library/error_codes.h"
#include "library/system_wave_device.h"
#include "player/background/module_player.h"
#include "zumbrik/player.h"

namespace {

// A program using the library plays through the system's default output,
// installed once (installing stops the music).
void ChooseSystemDevice() {
    static std::once_flag deviceChosen;
    std::call_once(deviceChosen, [] { zumbrik::UseWaveDevice(&zumbrik::SystemWaveDevice()); });
}

int Play(std::uintptr_t source, std::uintptr_t size, std::uint32_t flags) {
    ChooseSystemDevice();
    const std::uint32_t kept = flags & (zumbrik::PlayOnce | zumbrik::StartPaused);
    return zumbrik::PlayModule(source, size, kept | (flags & zumbrik::MemorySource) | (flags & zumbrik::FileSource)) != 0
               ? ZUMBRIK_OK
               : ZUMBRIK_ERROR_NO_DEVICE;
}

}  // namespace

static_assert(ZUMBRIK_PLAY_ONCE == zumbrik::PlayOnce && ZUMBRIK_START_PAUSED == zumbrik::StartPaused);

const char* zumbrik_version(void) { return ZUMBRIK_PLAYER_VERSION; }

int zumbrik_player_play_memory(const void* data, size_t size, unsigned flags) {
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    return Play(reinterpret_cast<std::uintptr_t>(data), size, (flags & ~0x03u) | zumbrik::MemorySource);
}

int zumbrik_player_play_file(const char* path, unsigned flags) {
    if (path == nullptr || path[0] == 0) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    return Play(reinterpret_cast<std::uintptr_t>(path), 0, (flags & ~0x03u) | zumbrik::FileSource);
}

void zumbrik_player_stop(void) { zumbrik::StopModule(); }
void zumbrik_player_pause(void) { zumbrik::PauseModule(); }
void zumbrik_player_resume(void) { zumbrik::ResumeModule(); }
int zumbrik_player_playing(void) { return zumbrik::GetPlayingPosition() != 0 ? 1 : 0; }
void zumbrik_player_set_volume(unsigned level) { zumbrik::SetMasterVolume(level); }
void zumbrik_player_jump_to_order(unsigned order) { zumbrik::JumpToOrder(order); }
uint32_t zumbrik_player_levels(void) { return zumbrik::GetPlayingLevels(); }
uint32_t zumbrik_player_position(void) { return zumbrik::GetPlayingPosition(); }
uint32_t zumbrik_player_elapsed_ms(void) { return zumbrik::GetElapsedMs(); }
int zumbrik_player_set_device(const char* name) {
    (void)name;
    return ZUMBRIK_ERROR_INVALID_ARGUMENT;
}
