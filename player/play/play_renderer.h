#pragma once
#include <cstdint>

#include "player/engine/play_records.h"
#include "player/engine/sequencer.h"
#include "player/mixer/mix_buffer.h"

namespace zumbrik {

// Where a rendering of a play stops.
struct PlayEnd {
    bool onePass = false;  // false: the song plays on, looping where it loops
    // With onePass: the row starts before the end (the song scan's count for
    // the passes wanted). 0 when the scan found no end: the pass then ends at
    // the first row start after the song ran off its last order.
    std::uint64_t rowStarts = 0;
};

// A row that started in the segment last rendered, `frame` frames into it.
struct RowStart {
    std::uint32_t frame;
    std::int32_t order;
    std::int32_t row;
};

// Renders a play segment by segment on one grid: kSegmentFrames frames from
// the play's start, each segment's runs split only where a tick starts. The
// mixer's runs, and so its samples, depend on where runs start; on the grid
// a play gives the same samples however many frames a caller takes at a time,
// and a play moved on without mixing reaches the same state a mixed one does.
class PlayRenderer {
public:
    // At most this many row starts are kept per segment: even at the fastest
    // tempo and lowest rate a segment holds fewer.
    static constexpr int kMaxRowStarts = 16;

    PlayRenderer(Play& play, PlayEnd end) : play_(play), end_(end) {}

    // How far the rendering has come: with the play's state, all a later
    // rendering from the same point needs (the end aside).
    struct Progress {
        SongClock clock;
        std::uint64_t frames;
        std::uint64_t rowsStarted;
    };
    Progress Progressed() const { return Progress{clock_, frames_, rowsStarted_}; }
    // Goes on from a progress reached before, for a play put back into the
    // state it had then; not one that had ended.
    void Resume(const Progress& progress);
    // Whether a rendering with the present end goes on at least as far as
    // the progress, rather than ending before it.
    bool Reaches(const Progress& progress) const;

    // Starts counting afresh, for a play put back at the song's start.
    void Restart(PlayEnd end);
    // Moves the end, counting from the play's start as before.
    void SetEnd(PlayEnd end) { end_ = end; }

    // Renders the next segment, adding it into accumulators (2 per frame),
    // or only moving the play on when accumulators is null. Channels whose
    // bit is set in unheardChannels move on unheard. Returns its frames:
    // kSegmentFrames, fewer when the song ends in it, 0 once it has ended.
    std::uint32_t RenderSegment(std::int32_t* accumulators, std::uint64_t unheardChannels = 0);

    // From now on the song ends once the row (order, row) has played: after a
    // jump the row count no longer says where the song is.
    void EndAfterRow(std::int32_t order, std::int32_t row);

    bool Ended() const { return ended_; }
    // Frames of the play rendered (or skipped) so far.
    std::uint64_t Frames() const { return frames_; }
    std::uint64_t RowsStarted() const { return rowsStarted_; }
    const SongClock& Clock() const { return clock_; }
    // The rows that started in the segment last rendered, in order.
    const RowStart* RowStarts() const { return rowStartsInSegment_; }
    int RowStartCount() const { return rowStartCount_; }

private:
    bool EndsBeforeThisRow() const;

    Play& play_;
    PlayEnd end_;
    SongClock clock_;
    std::uint64_t frames_ = 0;
    std::uint64_t rowsStarted_ = 0;
    bool ended_ = false;
    bool endAfterRow_ = false;
    std::int32_t endOrder_ = 0;
    std::int32_t endRow_ = 0;
    RowStart rowStartsInSegment_[kMaxRowStarts] = {};
    int rowStartCount_ = 0;
};

}  // namespace zumbrik
