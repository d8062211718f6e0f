#pragma once
#include <cstdint>

#include "player/player_records.h"
#include "player/sample_conversion.h"
#include "player/sequencer.h"

namespace zumbrik {

// Renders a loaded song to 16-bit stereo without a device: either one pass
// (to the end of the row on which the song runs off its last order) or a
// fixed number of frames, looping. A pass that never ends stops at the frame
// limit and says so.
class SongPass {
public:
    // 30 minutes of audio: the bound for a song whose jumps never end it.
    static constexpr std::uint64_t kDefaultLimitFrames = std::uint64_t{30} * 60 * kOutputRate;

    SongPass(PlayerState& state, bool onePass, std::uint64_t frameLimit = kDefaultLimitFrames);

    // Renders up to `frames` (at most 1024) frames into out (left, right);
    // returns the frames written, 0 once the pass is over.
    std::uint32_t Render(std::int16_t* out, std::uint32_t frames);

    bool Finished() const { return finished_; }
    // True when a one-pass render stopped at the limit instead of the song's end.
    bool HitLimit() const { return hitLimit_; }
    std::uint64_t FramesRendered() const { return framesRendered_; }

private:
    std::uint32_t FramesUntilNextStop(std::uint32_t wanted);

    PlayerState& state_;
    bool onePass_;
    std::uint64_t frameLimit_;
    std::uint64_t framesRendered_ = 0;
    SongClock clock_;
    bool finished_ = false;
    bool hitLimit_ = false;
    MixBuffer mix_{};
};

}  // namespace zumbrik
