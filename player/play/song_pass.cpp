#include "player/play/song_pass.h"

#include <algorithm>
#include <cstring>

#include "player/engine/song_scan.h"
#include "player/mixer/sample_conversion.h"

namespace zumbrik {

namespace {

PlayEnd EndOf(const Play& play, bool onePass, std::uint32_t passes) {
    PlayEnd end;
    end.onePass = onePass;
    if (onePass) {
        const SongScan scan = ScanSong(*play.song, passes);
        end.rowStarts = scan.capped ? 0 : scan.rowStarts;
    }
    return end;
}

}  // namespace

SongPass::SongPass(Play& play, bool onePass, std::uint64_t frameLimit, std::uint32_t passes)
    : renderer_(play, EndOf(play, onePass, passes)), onePass_(onePass), frameLimit_(frameLimit) {}

bool SongPass::NextSegment(std::int16_t* out) {
    segmentFrames_ = renderer_.RenderSegment(mix_.accumulators);
    if (segmentFrames_ == 0) finished_ = true;
    segmentTaken_ = 0;
    // The buffer starts zero and every frame mixed is cleared as it is
    // converted, so the next segment starts clear.
    ConvertAndClearAccumulators(mix_.accumulators, out, 2 * segmentFrames_, kUnityVolume);
    return segmentFrames_ != 0;
}

std::uint32_t SongPass::Render(std::int16_t* out, std::uint32_t frames) {
    std::uint32_t produced = 0;
    while (produced < frames && !finished_) {
        const std::uint64_t allowed = std::min<std::uint64_t>(frames - produced, frameLimit_ - framesRendered_);
        std::uint32_t n = 0;
        if (segmentTaken_ == segmentFrames_ && allowed >= static_cast<std::uint64_t>(kSegmentFrames)) {
            // A whole segment wanted goes straight to the caller.
            if (!NextSegment(out + 2 * static_cast<std::size_t>(produced))) break;
            n = segmentFrames_;
        } else {
            if (segmentTaken_ == segmentFrames_ && !NextSegment(segment_)) break;
            n = static_cast<std::uint32_t>(std::min<std::uint64_t>(allowed, segmentFrames_ - segmentTaken_));
            std::memcpy(out + 2 * static_cast<std::size_t>(produced),
                        segment_ + 2 * static_cast<std::size_t>(segmentTaken_), sizeof(std::int16_t) * 2 * n);
        }
        segmentTaken_ += n;
        produced += n;
        framesRendered_ += n;
        if (framesRendered_ >= frameLimit_) {
            finished_ = true;
            hitLimit_ = onePass_ && !(segmentTaken_ == segmentFrames_ && renderer_.Ended());
        }
    }
    if (renderer_.Ended() && segmentTaken_ == segmentFrames_) finished_ = true;
    return produced;
}

}  // namespace zumbrik
