#include "player/play/rendered_play.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "player/engine/song_scan.h"
#include "player/mixer/output_conversion.h"
#include "player/mixer/sample_conversion.h"

namespace zumbrik {

namespace {

constexpr double kMostDecibels = 96.0;

}  // namespace

RenderedPlay::RenderedPlay(std::shared_ptr<const LoadedSong> song)
    : song_(std::move(song)), play_(std::make_unique<Play>()), renderer_(*play_, PlayEnd{}) {
    ResetPlay(*play_, song_->song, kOutputRate);
    SetEnds();
    renderer_.Restart(end_);
}

void RenderedPlay::SetEnds() {
    const std::uint32_t rate = Rate();
    const std::uint64_t longestPass = std::uint64_t{OfflinePlay::kLongestPassSeconds} * rate;
    const SongScan onePass = ScanSong(song_->song, 1, rate);
    passFrames_ = onePass.capped ? longestPass : std::min(onePass.frames, longestPass);
    passIsBound_ = onePass.capped || onePass.frames > longestPass;
    end_ = PlayEnd{};
    frameLimit_ = 0;
    std::uint64_t farthest = EndlessSeekLimit();
    if (repeat_ >= 0) {
        const auto passes = static_cast<std::uint32_t>(repeat_) + 1;
        const SongScan scan = passes == 1 ? onePass : ScanSong(song_->song, passes, rate);
        end_ = PlayEnd{true, scan.capped ? 0 : scan.rowStarts};
        frameLimit_ = longestPass * passes;
        farthest = scan.capped ? frameLimit_ : std::min(scan.frames, frameLimit_);
    }
    // The points kept hold for any end. Room is made the first time, at a
    // new rate, and when the play may now go farther (dropping those kept:
    // a repeat count raised is rare).
    if (seekPoints_.Count() == 0 || farthest > seekPointsReach_) {
        seekPoints_.Prepare(*play_, farthest);
        seekPointsReach_ = farthest;
    }
}

void RenderedPlay::ClearHeldSegment() {
    if (taken_ < segmentFrames_) {
        std::memset(mix_.accumulators + 2 * static_cast<std::size_t>(taken_), 0,
                    sizeof(std::int32_t) * 2 * (segmentFrames_ - taken_));
    }
    taken_ = segmentFrames_;
}

void RenderedPlay::Restart() {
    ClearHeldSegment();
    ResetPlay(*play_, song_->song, Rate());
    renderer_.Restart(end_);
    segmentStart_ = 0;
    segmentFrames_ = 0;
    taken_ = 0;
    orderBefore_ = 0;
    rowBefore_ = 0;
}

bool RenderedPlay::NextSegment(bool mixed) {
    ClearHeldSegment();
    if (renderer_.RowStartCount() > 0) {
        const RowStart& last = renderer_.RowStarts()[renderer_.RowStartCount() - 1];
        orderBefore_ = last.order;
        rowBefore_ = last.row;
    }
    segmentStart_ += segmentFrames_;
    segmentFrames_ = renderer_.RenderSegment(mixed ? mix_.accumulators : nullptr, muted_);
    taken_ = mixed ? 0 : segmentFrames_;
    OfferSeekPoint();
    if (mixed && separation_ != 100) ApplyStereoSeparation(mix_.accumulators, segmentFrames_, separation_);
    return segmentFrames_ != 0;
}

void RenderedPlay::OfferSeekPoint() {
    if (segmentFrames_ != kSegmentFrames || renderer_.Ended()) return;
    std::int32_t order = orderBefore_;
    std::int32_t row = rowBefore_;
    if (renderer_.RowStartCount() > 0) {
        const RowStart& last = renderer_.RowStarts()[renderer_.RowStartCount() - 1];
        order = last.order;
        row = last.row;
    }
    seekPoints_.Offer(*play_, SeekPoints::Point{segmentStart_ + segmentFrames_, renderer_.Progressed(), order, row});
}

void RenderedPlay::ResumeNearest(std::uint64_t frame) {
    const SeekPoints::Point* point = seekPoints_.LatestAtOrBefore(frame);
    if (point == nullptr || point->frame <= segmentStart_ + segmentFrames_ || !renderer_.Reaches(point->progress)) {
        return;
    }
    ClearHeldSegment();
    seekPoints_.Restore(*point, *play_);
    renderer_.Resume(point->progress);
    segmentStart_ = point->frame;
    segmentFrames_ = 0;
    taken_ = 0;
    orderBefore_ = point->order;
    rowBefore_ = point->row;
}

template <typename Sample, typename Convert>
std::size_t RenderedPlay::Deliver(Sample* frames, std::size_t count, Convert convert) {
    if (frames == nullptr) return 0;
    std::size_t done = 0;
    while (done < count) {
        if (taken_ == segmentFrames_ && !NextSegment(true)) break;
        std::uint64_t n = std::min<std::uint64_t>(count - done, segmentFrames_ - taken_);
        if (frameLimit_ != 0) n = std::min(n, frameLimit_ - std::min(frameLimit_, PositionFrames()));
        if (n == 0) break;
        std::int32_t* from = mix_.accumulators + 2 * static_cast<std::size_t>(taken_);
        convert(from, frames + 2 * done, static_cast<std::uint32_t>(2 * n));
        taken_ += static_cast<std::uint32_t>(n);
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t RenderedPlay::Render(std::int16_t* frames, std::size_t count) {
    if (gain_ == 1.0) {
        // The mixer's own samples, converted as every render before.
        return Deliver(frames, count, [](std::int32_t* from, std::int16_t* to, std::uint32_t samples) {
            ConvertAndClearAccumulators(from, to, samples, kUnityVolume);
        });
    }
    const double gain = gain_;
    return Deliver(frames, count, [gain](std::int32_t* from, std::int16_t* to, std::uint32_t samples) {
        ConvertWithGain(from, to, samples, gain);
        std::memset(from, 0, sizeof(std::int32_t) * samples);
    });
}

std::size_t RenderedPlay::RenderFloat(float* frames, std::size_t count) {
    const double gain = gain_;
    return Deliver(frames, count, [gain](std::int32_t* from, float* to, std::uint32_t samples) {
        ConvertToFloat(from, to, samples, gain);
        std::memset(from, 0, sizeof(std::int32_t) * samples);
    });
}

bool RenderedPlay::SetRate(std::uint32_t rate) {
    if (rate < kLowestOutputRate || rate > kHighestOutputRate) return false;
    if (rate == Rate()) return true;
    const double seconds = Position();
    play_->outputRate = rate;
    seekPoints_.Clear();
    SetEnds();
    Restart();
    SeekSeconds(seconds);
    return true;
}

bool RenderedPlay::SetRepeat(std::int32_t count) {
    if (count < -1) return false;
    repeat_ = count;
    SetEnds();
    // The rows counted so far count towards the new end as well.
    renderer_.SetEnd(end_);
    return true;
}

void RenderedPlay::SetGain(double decibels) {
    const double clamped = std::isnan(decibels) ? 0.0 : std::clamp(decibels, -kMostDecibels, kMostDecibels);
    gain_ = clamped == 0.0 ? 1.0 : std::pow(10.0, clamped / 20.0);
}

bool RenderedPlay::SetStereoSeparation(std::int32_t percent) {
    if (percent < 0 || percent > 200) return false;
    separation_ = percent;
    return true;
}

bool RenderedPlay::Mute(std::int32_t channel, bool muted) {
    if (channel < 0 || channel >= std::min(song().channelCount, kMaxChannels)) return false;
    const std::uint64_t bit = std::uint64_t{1} << channel;
    muted_ = muted ? muted_ | bit : muted_ & ~bit;
    return true;
}

double RenderedPlay::Duration() const { return static_cast<double>(passFrames_) / Rate(); }

RowStart RenderedPlay::RowAtPosition() const {
    if (taken_ == segmentFrames_ && play_->tick == 0 && play_->tickFramesLeft <= 0 && !renderer_.Ended()) {
        // The segment is used up and the next frame starts a row: the one pending.
        return RowStart{0, play_->pendingOrder >= 0 ? play_->pendingOrder : play_->orderIndex,
                        play_->pendingRow >= 0 ? play_->pendingRow : play_->row};
    }
    RowStart at{0, orderBefore_, rowBefore_};
    for (int i = 0; i < renderer_.RowStartCount() && renderer_.RowStarts()[i].frame <= taken_; ++i) {
        at = renderer_.RowStarts()[i];
    }
    return at;
}

std::int32_t RenderedPlay::Order() const { return RowAtPosition().order; }

std::int32_t RenderedPlay::Row() const { return RowAtPosition().row; }

void RenderedPlay::Seek(std::uint64_t frame) {
    frame = std::min(frame, frameLimit_ != 0 ? frameLimit_ : std::max(EndlessSeekLimit(), PositionFrames()));
    if (frame < PositionFrames()) Restart();
    ResumeNearest(frame);
    // Segments that end before the frame are passed through unheard; the one
    // holding it is mixed, and its frames before it dropped.
    while (frame >= segmentStart_ + segmentFrames_) {
        const std::uint64_t next = segmentStart_ + segmentFrames_;
        if (!NextSegment(frame < next + kSegmentFrames)) return;  // the song ends first: at its end
    }
    const auto skipTo = static_cast<std::uint32_t>(frame - segmentStart_);
    if (skipTo > taken_) {
        std::memset(mix_.accumulators + 2 * static_cast<std::size_t>(taken_), 0,
                    sizeof(std::int32_t) * 2 * (skipTo - taken_));
        taken_ = skipTo;
    }
}

void RenderedPlay::SeekSeconds(double seconds) {
    if (!(seconds > 0)) {
        Seek(0);
        return;
    }
    const double frames = std::round(seconds * Rate());
    Seek(frames >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(frames));
}

std::uint64_t RenderedPlay::EndlessSeekLimit() const {
    return std::uint64_t{OfflinePlay::kLongestEndlessSeekSeconds} * Rate();
}

bool RenderedPlay::SeekOrder(std::int32_t order, std::int32_t row) {
    const std::uint64_t before = PositionFrames();
    // An endless play never ends the search by itself.
    std::uint64_t searchEnd = UINT64_MAX;
    if (repeat_ < 0) {
        const SongScan scan = ScanSong(song_->song, OfflinePlay::kEndlessSearchPasses, Rate());
        searchEnd = scan.capped ? EndlessSeekLimit() : scan.frames;
    }
    Restart();
    bool found = false;
    std::uint64_t target = 0;
    while (!found && segmentStart_ + segmentFrames_ < searchEnd && NextSegment(false)) {
        for (int i = 0; i < renderer_.RowStartCount(); ++i) {
            const RowStart& start = renderer_.RowStarts()[i];
            if (start.order == order && start.row == row) {
                target = segmentStart_ + start.frame;
                found = true;
                break;
            }
        }
    }
    Restart();
    Seek(found ? target : before);
    return found;
}

}  // namespace zumbrik
