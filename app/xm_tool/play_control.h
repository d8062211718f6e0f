#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/wave_device.h"

namespace zumbrik {

// What a key asks of `zumbrik-xm play`, whichever system read it.
enum class PlayKey { Pause, Louder, Softer, PreviousOrder, NextOrder, Quit };

// One `zumbrik-xm play` session on the background player. The platform files
// only read keys and draw the status line; everything else is here.
class PlayControl {
public:
    // Loads the file first, to tell a bad module from a missing sound device,
    // then starts it on the device. False after a one-line error on err.
    bool Start(const std::string& path, WaveDevice& device, std::ostream& err);
    // Acts on a key; false when the key asks to quit.
    bool Act(PlayKey key);
    // Order/row, elapsed time, level meters, volume level and the pause,
    // padded to a fixed width so a shorter line covers a longer one.
    std::string StatusLine() const;
    // Stops the music and leaves the player as a later session expects it.
    void Finish();

private:
    std::uint32_t songLength_ = 0;
    std::uint32_t volumeLevel_ = 25;
};

}  // namespace zumbrik
