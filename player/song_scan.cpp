#include "player/song_scan.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <unordered_set>
#include <vector>

#include "player/effect_codes.h"
#include "player/row_processing.h"
#include "player/song_position.h"

namespace zumbrik {

namespace {

constexpr std::int32_t kMaxChannels = 64;

// The flow state at a row start: the position and every running pattern
// loop (row and counter). A loop start row left over from a finished loop is
// not part of it: a song that loops a stretch and then jumps back to its
// start repeats there, not a pattern later.
std::vector<std::int32_t> FlowKey(const PlayerState& flow) {
    std::vector<std::int32_t> key{flow.orderIndex, flow.row};
    for (std::int32_t c = 0; c < ProcessedChannels(flow); ++c) {
        const ChannelState& channel = flow.channels[c];
        if (channel.loopCount != 0) {
            key.insert(key.end(), {c, channel.loopRow, channel.loopCount});
        }
    }
    return key;
}

struct KeyHash {
    std::size_t operator()(const std::vector<std::int32_t>& key) const {
        std::size_t hash = 1469598103934665603u;
        for (std::int32_t v : key) hash = (hash ^ static_cast<std::uint32_t>(v)) * 1099511628211u;
        return hash;
    }
};

// The flow states already passed in this pass. Most rows run no pattern
// loop: those are one bit each, so a scan of an ordinary song allocates
// nothing per row; only states with running loops are kept as whole keys.
class VisitedStates {
public:
    void Insert(const PlayerState& flow) {
        if (const std::int32_t bit = PlainBit(flow); bit >= 0) {
            plain_[static_cast<std::size_t>(bit)] = true;
        } else {
            withLoops_.insert(FlowKey(flow));
        }
    }
    bool Contains(const PlayerState& flow) const {
        if (const std::int32_t bit = PlainBit(flow); bit >= 0) return plain_[static_cast<std::size_t>(bit)];
        return withLoops_.count(FlowKey(flow)) != 0;
    }
    void Clear() {
        plain_.reset();
        withLoops_.clear();
    }

private:
    static constexpr std::int32_t kPositions = 256;
    // The state's bit when no loop runs and the position fits, else -1.
    static std::int32_t PlainBit(const PlayerState& flow) {
        if (flow.orderIndex < 0 || flow.orderIndex >= kPositions || flow.row < 0 || flow.row >= kPositions) return -1;
        for (std::int32_t c = 0; c < ProcessedChannels(flow); ++c) {
            if (flow.channels[c].loopCount != 0) return -1;
        }
        return flow.orderIndex * kPositions + flow.row;
    }

    std::bitset<kPositions * kPositions> plain_;
    std::unordered_set<std::vector<std::int32_t>, KeyHash> withLoops_;
};

// Runs the row the flow is at, as the sequencer's row start does, but only
// the flow effects; leaves the next position pending. False when the song
// runs off its last order here.
bool StepRow(PlayerState& flow) {
    flow.pendingOrder = -1;
    flow.pendingRow = -1;
    flow.patternDelayTicks = 0;
    if (const PatternCell* cells = CurrentRowCells(flow)) {
        bool jumpSeen = false;
        for (std::int32_t c = 0; c < ProcessedChannels(flow); ++c) {
            const PatternCell& cell = cells[c];
            if (cell.effect >= effect::kPortamentoUp && cell.effect <= effect::kLastRowEffect) {
                ApplyFlowEffect(flow, flow.channels[c], cell, jumpSeen);
            }
        }
    }
    if (flow.pendingRow != -1) return true;
    if (flow.row + 1 < CurrentPatternRows(flow)) {
        flow.pendingRow = flow.row + 1;
        return true;
    }
    if (flow.orderIndex + 1 < flow.songLength) {
        flow.pendingOrder = flow.orderIndex + 1;
        flow.pendingRow = 0;
        return true;
    }
    flow.pendingOrder = flow.restartPosition < flow.songLength ? flow.restartPosition : 0;
    flow.pendingRow = 0;
    return false;
}

void TakePending(PlayerState& flow) {
    if (flow.pendingOrder >= 0) flow.orderIndex = flow.pendingOrder;
    if (flow.pendingRow >= 0) flow.row = flow.pendingRow;
}

// Frames of the row just stepped: its ticks, each as long as the tempo says.
std::uint64_t RowFrames(const PlayerState& flow) {
    const std::int32_t ticks = std::max(flow.speed + flow.patternDelayTicks, 1);
    return static_cast<std::uint64_t>(ticks) * static_cast<std::uint64_t>(std::max(flow.samplesPerTick, 1));
}

}  // namespace

SongScan ScanSong(const PlayerState& song, std::uint32_t passes) {
    // A copy of the song's state with scan-owned channels: only the loop
    // fields of the channels are used, and the module is read, never written.
    PlayerState flow = song;
    std::array<ChannelState, kMaxChannels> channels{};
    flow.channels = channels.data();
    flow.channelCount = std::clamp(song.channelCount, 0, kMaxChannels);

    SongScan scan;
    VisitedStates visited;
    std::uint32_t passesLeft = std::max<std::uint32_t>(passes, 1);
    TakePending(flow);
    while (true) {
        if (scan.rowStarts >= kMaxScanRowStarts) {
            scan.capped = true;
            return scan;
        }
        visited.Insert(flow);
        const bool goesOn = StepRow(flow);
        scan.frames += RowFrames(flow);
        scan.rowStarts += 1;
        scan.endOrder = flow.orderIndex;
        scan.endRow = flow.row;
        TakePending(flow);
        const bool repeats = goesOn && visited.Contains(flow);
        if (!goesOn || repeats) {
            scan.ranOffEnd = !goesOn;
            if (--passesLeft == 0) return scan;
            visited.Clear();
        }
    }
}

}  // namespace zumbrik
