#include <mutex>

#include "library/system_wave_device.h"
#include "platform/win32/winmm_wave_device.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {

WinmmWaveDevice& Device() {
    static WinmmWaveDevice device;
    return device;
}

}  // namespace

void EnsureSystemWaveDevice() {
    static std::once_flag installed;
    std::call_once(installed, [] { UseWaveDevice(&Device()); });
}

bool NameSystemWaveDevice(const char*) {
    EnsureSystemWaveDevice();
    // One output only; stopping is what naming one does everywhere.
    StopModule();
    return true;
}

}  // namespace zumbrik
