#include "player/play/song_pass.h"

#include <algorithm>

#include "player/engine/song_scan.h"

namespace zumbrik {

SongPass::SongPass(Play& play, bool onePass, std::uint64_t frameLimit, std::uint32_t passes)
    : play_(play), onePass_(onePass), frameLimit_(frameLimit) {
    if (onePass_) {
        const SongScan scan = ScanSong(*play_.song, passes);
        rowLimit_ = scan.capped ? 0 : scan.rowStarts;
    }
}

// In one-pass mode ticks are started here, one at a time, so the row on
// which the song ends is played to its last frame and nothing after it.
std::uint32_t SongPass::FramesUntilNextStop(std::uint32_t wanted) {
    if (!onePass_) {
        return wanted;
    }
    if (play_.tickFramesLeft <= 0) {
        rowsStarted_ += play_.tick == 0 ? 1 : 0;
        StartTick(play_, false, clock_);
    }
    return std::min(wanted, static_cast<std::uint32_t>(play_.tickFramesLeft));
}

std::uint32_t SongPass::Render(std::int16_t* out, std::uint32_t frames) {
    if (finished_) {
        return 0;
    }
    const std::uint64_t allowed = std::min<std::uint64_t>({frames, kSegmentFrames, frameLimit_ - framesRendered_});
    std::uint32_t produced = 0;
    while (produced < allowed) {
        const bool rowOver = play_.tick == 0 && play_.tickFramesLeft <= 0;
        const bool passesOver = rowLimit_ != 0 ? rowsStarted_ >= rowLimit_ : clock_.songEnds > 0;
        if (onePass_ && passesOver && rowOver) {
            finished_ = true;
            break;
        }
        const std::uint32_t chunk = FramesUntilNextStop(static_cast<std::uint32_t>(allowed) - produced);
        RenderFrames(play_, mix_.accumulators + 2 * static_cast<std::size_t>(produced), chunk, false, clock_);
        produced += chunk;
    }
    // The buffer starts zero and every frame mixed is cleared as it is
    // converted, so the next segment starts clear.
    ConvertAndClearAccumulators(mix_.accumulators, out, 2 * produced, kUnityVolume);
    framesRendered_ += produced;
    if (!finished_ && framesRendered_ >= frameLimit_) {
        finished_ = true;
        hitLimit_ = onePass_;
    }
    return produced;
}

}  // namespace zumbrik
