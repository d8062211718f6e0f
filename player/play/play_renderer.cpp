#include "player/play/play_renderer.h"

#include <algorithm>

#include "player/engine/song_position.h"
#include "player/mixer/mixer.h"

namespace zumbrik {

void PlayRenderer::Restart(PlayEnd end) {
    end_ = end;
    clock_ = SongClock{};
    frames_ = 0;
    rowsStarted_ = 0;
    ended_ = false;
    endAfterRow_ = false;
    rowStartCount_ = 0;
}

void PlayRenderer::Resume(const Progress& progress) {
    clock_ = progress.clock;
    frames_ = progress.frames;
    rowsStarted_ = progress.rowsStarted;
    ended_ = false;
    rowStartCount_ = 0;
}

bool PlayRenderer::Reaches(const Progress& progress) const {
    if (endAfterRow_) return false;  // where that end falls is not counted
    if (!end_.onePass) return true;
    // The end comes at the row start after the last row counted; without a
    // count, at the first one after the song ran off its end.
    return end_.rowStarts != 0 ? progress.rowsStarted <= end_.rowStarts : progress.clock.songEnds == 0;
}

void PlayRenderer::EndAfterRow(std::int32_t order, std::int32_t row) {
    endAfterRow_ = true;
    endOrder_ = order;
    endRow_ = row;
}

// Asked at a row start, before the row is taken: whether the row just played was the last.
bool PlayRenderer::EndsBeforeThisRow() const {
    if (rowsStarted_ == 0) return false;
    if (endAfterRow_) return play_.orderIndex == endOrder_ && play_.row == endRow_;
    if (!end_.onePass) return false;
    return end_.rowStarts != 0 ? rowsStarted_ >= end_.rowStarts : clock_.songEnds > 0;
}

std::uint32_t PlayRenderer::RenderSegment(std::int32_t* accumulators, std::uint64_t unheardChannels) {
    rowStartCount_ = 0;
    if (ended_) return 0;
    constexpr auto kFrames = static_cast<std::uint32_t>(kSegmentFrames);
    const std::int32_t voices = 2 * ProcessedChannels(play_);
    std::uint32_t done = 0;
    while (done < kFrames) {
        if (play_.tickFramesLeft <= 0) {
            if (play_.tick == 0) {
                if (EndsBeforeThisRow()) {
                    ended_ = true;
                    break;
                }
                rowsStarted_ += 1;
                if (rowStartCount_ < kMaxRowStarts) {
                    // The row about to start is the pending one, when one is pending.
                    const std::int32_t order = play_.pendingOrder >= 0 ? play_.pendingOrder : play_.orderIndex;
                    const std::int32_t row = play_.pendingRow >= 0 ? play_.pendingRow : play_.row;
                    rowStartsInSegment_[rowStartCount_++] = RowStart{done, order, row};
                }
            }
            StartTick(play_, false, clock_);
        }
        const std::uint32_t frames = std::min(kFrames - done, static_cast<std::uint32_t>(play_.tickFramesLeft));
        if (accumulators != nullptr) {
            Mix(play_.voices, voices, play_.pace, accumulators + 2 * static_cast<std::size_t>(done), frames, unheardChannels);
        } else {
            MoveVoices(play_.voices, voices, play_.pace, frames);
        }
        play_.tickFramesLeft -= static_cast<std::int32_t>(frames);
        done += frames;
    }
    frames_ += done;
    return done;
}

}  // namespace zumbrik
