#include "player/engine/song_position.h"

namespace zumbrik {

namespace {

constexpr std::int32_t kMissingPatternRows = 64;
const PatternCell kEmptyRow[kMaxChannels] = {};

}  // namespace

const PatternRecord* CurrentPattern(const Play& play) {
    if (play.song->patterns == nullptr || play.orderIndex < 0 || play.orderIndex >= 256) {
        return nullptr;
    }
    const std::uint8_t number = play.song->orderTable[play.orderIndex];
    if (number >= play.song->patternCount) {
        return nullptr;
    }
    return &play.song->patterns[number];
}

std::int32_t CurrentPatternRows(const Play& play) {
    const PatternRecord* pattern = CurrentPattern(play);
    return pattern == nullptr ? kMissingPatternRows : pattern->rows;
}

const PatternCell* CurrentRowCells(const Play& play) {
    const PatternRecord* pattern = CurrentPattern(play);
    if (pattern == nullptr) {
        return kEmptyRow;
    }
    if (pattern->cells == nullptr) {
        return nullptr;
    }
    if (play.row < 0 || play.row >= pattern->rows) {
        return kEmptyRow;
    }
    return pattern->cells + static_cast<std::size_t>(play.row) * static_cast<std::size_t>(play.song->channelCount);
}

void TakePendingPosition(Play& play) {
    if (play.pendingOrder >= 0) play.orderIndex = play.pendingOrder;
    if (play.pendingRow >= 0) play.row = play.pendingRow;
    play.pendingOrder = -1;
    play.pendingRow = -1;
}

bool ChooseNextPosition(Play& play) {
    if (play.pendingRow != -1) return true;
    if (play.row + 1 < CurrentPatternRows(play)) {
        play.pendingRow = play.row + 1;
        return true;
    }
    const Song& song = *play.song;
    play.pendingRow = 0;
    if (play.orderIndex + 1 < song.songLength) {
        play.pendingOrder = play.orderIndex + 1;
        return true;
    }
    play.pendingOrder = song.restartPosition < song.songLength ? song.restartPosition : 0;
    return false;
}

void JumpToOrderStart(Play& play, std::int32_t order) {
    play.pendingRow = 0;
    play.pendingOrder = order >= 0 && order < play.song->songLength ? order : 0;
}

std::int32_t ProcessedChannels(const Play& play) {
    const std::int32_t channels = play.song->channelCount;
    return channels < 0 ? 0 : (channels < kMaxChannels ? channels : kMaxChannels);
}

}  // namespace zumbrik
