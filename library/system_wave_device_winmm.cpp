#include "library/system_wave_device.h"
#include "platform/win32/winmm_wave_device.h"

namespace zumbrik {

WaveDevice& SystemWaveDevice() {
    static WinmmWaveDevice device;
    return device;
}

}  // namespace zumbrik
