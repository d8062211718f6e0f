#include "player/engine/song_position.h"

namespace zumbrik {

namespace {

constexpr std::int32_t kMaxChannels = 64;
constexpr std::int32_t kMissingPatternRows = 64;
const PatternCell kEmptyRow[kMaxChannels] = {};

}  // namespace

const PatternRecord* CurrentPattern(const PlayerState& state) {
    if (state.patterns == nullptr || state.orderIndex < 0 || state.orderIndex >= 256) {
        return nullptr;
    }
    const std::uint8_t number = state.orderTable[state.orderIndex];
    if (number >= state.patternCount) {
        return nullptr;
    }
    return &state.patterns[number];
}

std::int32_t CurrentPatternRows(const PlayerState& state) {
    const PatternRecord* pattern = CurrentPattern(state);
    return pattern == nullptr ? kMissingPatternRows : pattern->rows;
}

const PatternCell* CurrentRowCells(const PlayerState& state) {
    const PatternRecord* pattern = CurrentPattern(state);
    if (pattern == nullptr) {
        return kEmptyRow;
    }
    if (pattern->cells == nullptr) {
        return nullptr;
    }
    if (state.row < 0 || state.row >= pattern->rows) {
        return kEmptyRow;
    }
    return pattern->cells + static_cast<std::size_t>(state.row) * static_cast<std::size_t>(state.channelCount);
}

void JumpToOrderStart(PlayerState& state, std::int32_t order) {
    state.pendingRow = 0;
    state.pendingOrder = order >= 0 && order < state.songLength ? order : 0;
}

std::int32_t ProcessedChannels(const PlayerState& state) {
    if (state.channels == nullptr || state.channelCount < 0) {
        return 0;
    }
    return state.channelCount < kMaxChannels ? state.channelCount : kMaxChannels;
}

}  // namespace zumbrik
