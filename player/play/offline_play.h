#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "player/song/loaded_song.h"

namespace zumbrik {

class RenderedPlay;

// One play of a song, rendered on demand by a program that owns its audio
// output: any rate, 16-bit or float samples, gain and stereo width, repeats,
// an exact seek, positions, muted channels. Rendering allocates nothing; the
// song is shared read-only with whoever else plays it. One thread at a time.
class OfflinePlay {
public:
    // 30 minutes: the bound of a pass whose end the song scan cannot find.
    static constexpr std::uint32_t kLongestPassSeconds = 30 * 60;
    // A seek replays the song up to its frame, so a play that repeats for
    // ever is sought at most this far in (or to where it is, if farther):
    // a second or so of work for a busy song, never a hang.
    static constexpr std::uint32_t kLongestEndlessSeekSeconds = 4 * 60 * 60;
    // A play that repeats for ever looks for a row in its first passes only:
    // a song's flow comes round again within them.
    static constexpr std::uint32_t kEndlessSearchPasses = 3;

    explicit OfflinePlay(std::shared_ptr<const LoadedSong> song);
    ~OfflinePlay();
    OfflinePlay(const OfflinePlay&) = delete;
    OfflinePlay& operator=(const OfflinePlay&) = delete;

    const Song& song() const;

    // 8,000 to 192,000 frames per second (48,000 at first); the position in
    // seconds is kept. False, with nothing changed, for any other rate.
    bool SetRate(std::uint32_t rate);
    std::uint32_t Rate() const;
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

    // Seconds of one pass of the song at the present rate, and the same in frames.
    double Duration() const;
    std::uint64_t DurationFrames() const;
    // True when the song scan found no end within its bound: the duration is
    // then the longest pass, a bound rather than the song's length.
    bool DurationIsBound() const;
    // Frames handed out since the start, and what they come to in seconds.
    std::uint64_t PositionFrames() const;
    double Position() const;
    // The order and row of the frame at the position.
    std::int32_t Order() const;
    std::int32_t Row() const;

    // Goes to a frame of the straight render: the samples from there on are
    // the ones it gives. A frame past the end goes to the end; on an endless
    // play, past kLongestEndlessSeekSeconds to there.
    void Seek(std::uint64_t frame);
    void SeekSeconds(double seconds);
    // Goes to where the straight render first starts the row; false, with
    // the position unchanged, when it never does (on an endless play, within
    // kEndlessSearchPasses passes).
    bool SeekOrder(std::int32_t order, std::int32_t row);

private:
    std::unique_ptr<RenderedPlay> play_;
};

}  // namespace zumbrik
