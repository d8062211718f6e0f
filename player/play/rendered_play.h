#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "player/engine/play_records.h"
#include "player/mixer/mix_buffer.h"
#include "player/play/play_renderer.h"
#include "player/play/offline_play.h"
#include "player/play/seek_points.h"
#include "player/song/loaded_song.h"

namespace zumbrik {

// The offline play's workings (see offline_play.h, its public face).
class RenderedPlay {
public:
    explicit RenderedPlay(std::shared_ptr<const LoadedSong> song);

    const Song& song() const { return song_->song; }

    // 8,000 to 192,000 frames per second; the position in seconds is kept.
    // False, with nothing changed, for any other rate.
    bool SetRate(std::uint32_t rate);
    std::uint32_t Rate() const { return play_->outputRate; }
    // Further passes after the first (0: one pass, the default), each going
    // on where the song itself loops; -1 plays on for ever. False for less.
    bool SetRepeat(std::int32_t count);
    // In decibels (0: the samples as mixed); up to +/-96 dB.
    void SetGain(double decibels);
    // The stereo width in percent: 0 mono, 100 as mixed, up to 200.
    bool SetStereoSeparation(std::int32_t percent);
    // Whether a channel (0-based) is heard; false for no such channel.
    bool Mute(std::int32_t channel, bool muted);

    // Up to `count` frames (left, right) into `frames`; fewer only at the end.
    std::size_t Render(std::int16_t* frames, std::size_t count);
    // The same as floats, 1.0 the 16-bit full scale, not clamped.
    std::size_t RenderFloat(float* frames, std::size_t count);

    // Seconds of one pass of the song at the present rate.
    double Duration() const;
    std::uint64_t DurationFrames() const { return passFrames_; }
    bool DurationIsBound() const { return passIsBound_; }
    // Frames handed out since the start, and what they come to in seconds.
    std::uint64_t PositionFrames() const { return segmentStart_ + taken_; }
    double Position() const { return static_cast<double>(PositionFrames()) / Rate(); }
    // The order and row of the frame at the position.
    std::int32_t Order() const;
    std::int32_t Row() const;

    // Goes to a frame of the straight render: the samples from there on are
    // the ones it gives. A frame past the end goes to the end.
    void Seek(std::uint64_t frame);
    void SeekSeconds(double seconds);
    // Goes to where the straight render first starts the row; false, with
    // the position unchanged, when it never does.
    bool SeekOrder(std::int32_t order, std::int32_t row);

private:
    template <typename Sample, typename Convert>
    std::size_t Deliver(Sample* frames, std::size_t count, Convert convert);
    // Mixes the next segment, or moves the play through it unheard.
    bool NextSegment(bool mixed);
    void Restart();
    // The end and bounds for the repeat count at the present rate.
    void SetEnds();
    // How far an endless play is sought, at most.
    std::uint64_t EndlessSeekLimit() const;
    // The row the frame at the position belongs to.
    RowStart RowAtPosition() const;
    // Drops what is left of the segment held: it is never heard.
    void ClearHeldSegment();
    // Offers the state at the end of the segment just rendered for later seeks.
    void OfferSeekPoint();
    // Goes on from the latest seek point at or before the frame when it lies
    // past the segment held and the present end lets the play reach it.
    void ResumeNearest(std::uint64_t frame);

    std::shared_ptr<const LoadedSong> song_;
    std::unique_ptr<Play> play_;
    PlayRenderer renderer_;
    std::int32_t repeat_ = 0;
    PlayEnd end_;
    std::uint64_t passFrames_ = 0;  // one pass, at most the longest
    bool passIsBound_ = false;
    std::uint64_t frameLimit_ = 0;  // the passes, at most the longest each; 0: none
    double gain_ = 1.0;
    std::int32_t separation_ = 100;
    std::uint64_t muted_ = 0;
    // The segment rendered last: where it starts, its frames and how many
    // of them were handed out; its accumulators, those handed out cleared.
    std::uint64_t segmentStart_ = 0;
    std::uint32_t segmentFrames_ = 0;
    std::uint32_t taken_ = 0;
    std::int32_t orderBefore_ = 0;  // the row playing when the segment began
    std::int32_t rowBefore_ = 0;
    MixBuffer mix_{};
    SeekPoints seekPoints_;
    std::uint64_t seekPointsReach_ = 0;  // the farthest frame they have room for
};

}  // namespace zumbrik
