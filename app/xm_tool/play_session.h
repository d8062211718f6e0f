#pragma once
#include <ostream>
#include <string>

#include "platform/wave_device.h"

namespace zumbrik {

// `zumbrik-xm play` over a given device and key input: plays the module
// through the background player with a status line that updates in place
// (order/row, elapsed time, level meters, volume) until q, end of keys is
// followed by a signal, or SIGINT/SIGTERM. Keys: space pause/resume, + and -
// volume, left and right arrows previous/next order, q quit. A terminal on
// keyFd is put in raw mode and always restored. Returns the exit status.
int PlayWithDevice(const std::string& path, WaveDevice& device, int keyFd, std::ostream& out, std::ostream& err);

}  // namespace zumbrik
