// The background player's C entry points over the player's C++ ones.
#include <cstdint>
#include <exception>
#include <new>

#include "library/error_codes.h"
#include "library/system_wave_device.h"
#include "player/background/module_player.h"
#include "zumbrik/player.h"

namespace {

int CodeFor(const zumbrik::StartResult& result) {
    switch (result.status) {
        case zumbrik::StartStatus::Playing: return ZUMBRIK_OK;
        case zumbrik::StartStatus::NotLoaded: return zumbrik::ErrorCodeFor(result.load);
        case zumbrik::StartStatus::NoDevice: return ZUMBRIK_ERROR_NO_DEVICE;
        case zumbrik::StartStatus::NoMemory: return ZUMBRIK_ERROR_NO_MEMORY;
        case zumbrik::StartStatus::NothingToPlay: break;
    }
    return ZUMBRIK_ERROR_INVALID_ARGUMENT;
}

int Play(std::uintptr_t source, std::uintptr_t size, unsigned flags, std::uint32_t sourceKind) {
    // Only the header's flags; the source is the call's.
    const std::uint32_t kept = flags & (zumbrik::PlayOnce | zumbrik::StartPaused);
    try {
        zumbrik::EnsureSystemWaveDevice();
        return CodeFor(zumbrik::StartModule(source, size, kept | sourceKind));
    } catch (const std::bad_alloc&) {
        return ZUMBRIK_ERROR_NO_MEMORY;
    } catch (const std::exception&) {
        // A lock or thread the system would not give: out of resources.
        return ZUMBRIK_ERROR_NO_MEMORY;
    }
}

}  // namespace

static_assert(ZUMBRIK_PLAY_ONCE == zumbrik::PlayOnce && ZUMBRIK_START_PAUSED == zumbrik::StartPaused);

const char* zumbrik_version(void) { return ZUMBRIK_PLAYER_VERSION; }

int zumbrik_player_play_memory(const void* data, size_t size, unsigned flags) {
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFu) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    return Play(reinterpret_cast<std::uintptr_t>(data), size, flags, zumbrik::MemorySource);
}

int zumbrik_player_play_file(const char* path, unsigned flags) {
    if (path == nullptr || path[0] == 0) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    return Play(reinterpret_cast<std::uintptr_t>(path), 0, flags, zumbrik::FileSource);
}

void zumbrik_player_stop(void) { zumbrik::StopModule(); }
void zumbrik_player_pause(void) { zumbrik::PauseModule(); }
void zumbrik_player_resume(void) { zumbrik::ResumeModule(); }
int zumbrik_player_playing(void) { return zumbrik::ModulePlaying() ? 1 : 0; }
void zumbrik_player_set_volume(unsigned level) { zumbrik::SetMasterVolume(level); }
void zumbrik_player_jump_to_order(unsigned order) { zumbrik::JumpToOrder(order); }
uint32_t zumbrik_player_levels(void) { return zumbrik::GetPlayingLevels(); }
uint32_t zumbrik_player_position(void) { return zumbrik::GetPlayingPosition(); }
uint32_t zumbrik_player_elapsed_ms(void) { return zumbrik::GetElapsedMs(); }

int zumbrik_player_set_device(const char* name) {
    if (name != nullptr && name[0] == 0) return ZUMBRIK_ERROR_INVALID_ARGUMENT;
    try {
        return zumbrik::NameSystemWaveDevice(name) ? ZUMBRIK_OK : ZUMBRIK_ERROR_NO_MEMORY;
    } catch (const std::exception&) {
        return ZUMBRIK_ERROR_NO_MEMORY;
    }
}
