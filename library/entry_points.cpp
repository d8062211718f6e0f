// The background player's entry points with C linkage, over the C++ ones.
#include <mutex>

#include "library/system_wave_device.h"
#include "player/background/module_player.h"
#include "zumbrik/player.h"

static_assert(ResourceSource == zumbrik::ResourceSource && MemorySource == zumbrik::MemorySource &&
              FileSource == zumbrik::FileSource && PlayOnce == zumbrik::PlayOnce &&
              StartPaused == zumbrik::StartPaused);

uint32_t PlayModule(uintptr_t source, uintptr_t sizeOrModule, uint32_t flags) {
    // A program using the library cannot choose a device: it gets the
    // system's default, installed once (installing stops the music).
    static std::once_flag deviceChosen;
    std::call_once(deviceChosen, [] { zumbrik::UseWaveDevice(&zumbrik::SystemWaveDevice()); });
    return zumbrik::PlayModule(source, sizeOrModule, flags);
}

void StopModule(void) { zumbrik::StopModule(); }
void PauseModule(void) { zumbrik::PauseModule(); }
void ResumeModule(void) { zumbrik::ResumeModule(); }
void SetMasterVolume(uint32_t level) { zumbrik::SetMasterVolume(level); }
void JumpToOrder(uint32_t order) { zumbrik::JumpToOrder(order); }
uint32_t GetPlayingLevels(void) { return zumbrik::GetPlayingLevels(); }
uint32_t GetPlayingPosition(void) { return zumbrik::GetPlayingPosition(); }
uint32_t GetElapsedMs(void) { return zumbrik::GetElapsedMs(); }
