#include "player/play/seek_points.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "player/engine/song_position.h"
#include "player/mixer/mix_buffer.h"

namespace zumbrik {

namespace {

static_assert(std::is_trivially_copyable_v<Play> && std::is_standard_layout_v<Play>,
              "a play is kept as its bytes");

// No point before this: a seek that near the start replays little anyway.
constexpr std::uint64_t kFirstFrame = 2 * kSegmentFrames;

// The frame from which the point after one kept at `frame` is due.
std::uint64_t NextDue(std::uint64_t frame) { return frame + frame / 2; }

constexpr std::size_t kHeaderBytes = offsetof(Play, voices);

}  // namespace

std::size_t SeekPoints::Layout::Bytes() const {
    return kHeaderBytes + voices * sizeof(MixVoice) + channels * sizeof(ChannelState) + sizeof(Play::finetunes);
}

SeekPoints::Layout SeekPoints::LayoutOf(const Play& play) {
    const auto channels = static_cast<std::size_t>(ProcessedChannels(play));
    return Layout{2 * channels, channels};
}

void SeekPoints::Prepare(const Play& play, std::uint64_t lastFrame) {
    layout_ = LayoutOf(play);
    std::size_t capacity = 1;
    for (std::uint64_t due = kFirstFrame; due < lastFrame && capacity < 64; due = NextDue(due)) {
        ++capacity;
    }
    points_.clear();
    points_.reserve(capacity);
    // Left unwritten: a play never sought nor played far touches none of it.
    states_.reset(new std::byte[capacity * layout_.Bytes()]);
}

void SeekPoints::Offer(const Play& play, const Point& point) {
    const std::uint64_t due = points_.empty() ? kFirstFrame : NextDue(points_.back().frame);
    if (point.frame < due || points_.size() == points_.capacity()) return;
    std::byte* to = states_.get() + points_.size() * layout_.Bytes();
    const auto* from = reinterpret_cast<const std::byte*>(&play);
    std::memcpy(to, from, kHeaderBytes);
    to += kHeaderBytes;
    std::memcpy(to, play.voices, layout_.voices * sizeof(MixVoice));
    to += layout_.voices * sizeof(MixVoice);
    std::memcpy(to, play.channels, layout_.channels * sizeof(ChannelState));
    to += layout_.channels * sizeof(ChannelState);
    std::memcpy(to, play.finetunes, sizeof(Play::finetunes));
    points_.push_back(point);
}

const SeekPoints::Point* SeekPoints::LatestAtOrBefore(std::uint64_t frame) const {
    const auto after = std::upper_bound(points_.begin(), points_.end(), frame,
                                        [](std::uint64_t f, const Point& point) { return f < point.frame; });
    return after == points_.begin() ? nullptr : &*(after - 1);
}

void SeekPoints::Restore(const Point& point, Play& play) const {
    const auto index = static_cast<std::size_t>(&point - points_.data());
    const std::byte* from = states_.get() + index * layout_.Bytes();
    std::memcpy(reinterpret_cast<std::byte*>(&play), from, kHeaderBytes);
    from += kHeaderBytes;
    std::memcpy(play.voices, from, layout_.voices * sizeof(MixVoice));
    from += layout_.voices * sizeof(MixVoice);
    std::memcpy(play.channels, from, layout_.channels * sizeof(ChannelState));
    from += layout_.channels * sizeof(ChannelState);
    std::memcpy(play.finetunes, from, sizeof(Play::finetunes));
}

}  // namespace zumbrik
