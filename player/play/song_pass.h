#pragma once
#include <cstdint>

#include "player/engine/play_records.h"
#include "player/mixer/mix_buffer.h"
#include "player/play/play_renderer.h"

namespace zumbrik {

// Renders a play to 16-bit stereo without a device: either one pass or more
// passes (each ending where ScanSong finds the song's end) or a fixed number
// of frames, looping. When the scan finds no end, a pass ends on running off
// the last order, or at the frame limit, which it reports.
class SongPass {
public:
    // 30 minutes of audio: the bound for a song whose jumps never end it.
    static constexpr std::uint64_t kDefaultLimitFrames = std::uint64_t{30} * 60 * kOutputRate;

    // passes counts only with onePass; the play must be at the song's start.
    SongPass(Play& play, bool onePass, std::uint64_t frameLimit = kDefaultLimitFrames, std::uint32_t passes = 1);

    // Renders up to `frames` frames into out (left, right); returns the
    // frames written, 0 once the pass is over.
    std::uint32_t Render(std::int16_t* out, std::uint32_t frames);

    bool Finished() const { return finished_; }
    // True when a one-pass render stopped at the limit instead of the song's end.
    bool HitLimit() const { return hitLimit_; }
    std::uint64_t FramesRendered() const { return framesRendered_; }

private:
    // Renders the next segment into out; false once the song is over.
    bool NextSegment(std::int16_t* out);

    PlayRenderer renderer_;
    bool onePass_;
    std::uint64_t frameLimit_;
    std::uint64_t framesRendered_ = 0;
    bool finished_ = false;
    bool hitLimit_ = false;
    MixBuffer mix_{};
    // A segment rendered ahead of the caller, and how much of it was handed out.
    std::int16_t segment_[2 * kSegmentFrames] = {};
    std::uint32_t segmentFrames_ = 0;
    std::uint32_t segmentTaken_ = 0;
};

}  // namespace zumbrik
