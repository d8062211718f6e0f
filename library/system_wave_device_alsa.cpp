#include <memory>
#include <mutex>
#include <new>

#include "library/system_wave_device.h"
#include "platform/posix/alsa_wave_device.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {

// Built before the player's exit handler is registered (at the first
// install), so the device outlives the player's stop at exit.
std::mutex installing;
std::unique_ptr<AlsaWaveDevice> installed;

void Install(std::unique_ptr<AlsaWaveDevice> device) {
    // The player lets go of the old device before this returns.
    UseWaveDevice(device.get());
    installed = std::move(device);
}

}  // namespace

void EnsureSystemWaveDevice() {
    const std::lock_guard lock(installing);
    if (installed == nullptr) Install(std::make_unique<AlsaWaveDevice>());
}

bool NameSystemWaveDevice(const char* name) {
    const std::lock_guard lock(installing);
    try {
        Install(std::make_unique<AlsaWaveDevice>(name != nullptr ? name : "default"));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace zumbrik
