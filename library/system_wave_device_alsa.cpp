#include "library/system_wave_device.h"
#include "platform/posix/alsa_wave_device.h"

namespace zumbrik {

WaveDevice& SystemWaveDevice() {
    static AlsaWaveDevice device;
    return device;
}

}  // namespace zumbrik
