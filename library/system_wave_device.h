#pragma once
#include "platform/wave_device.h"

namespace zumbrik {

// The host system's default sound output, made on first use and kept for the
// life of the program (the player stops itself at exit before it goes).
WaveDevice& SystemWaveDevice();

}  // namespace zumbrik
