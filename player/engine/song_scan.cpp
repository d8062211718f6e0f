#include "player/engine/song_scan.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <vector>

#include "player/song/effect_codes.h"
#include "player/engine/row_processing.h"
#include "player/engine/song_position.h"

namespace zumbrik {

namespace {

std::uint64_t HashStep(std::uint64_t hash, std::uint32_t value) { return (hash ^ value) * 1099511628211u; }

// A slot of an open-addressing table of mask + 1 slots. The high bits are
// folded in: a product's low bits see only its factors' low bits.
std::size_t SlotOf(std::uint64_t hash, std::size_t mask) { return static_cast<std::size_t>(hash ^ (hash >> 29)) & mask; }

// The running pattern loops of a flow play, interned: each distinct set of
// loops (the loop row and counter of every channel whose loop runs) gets a
// small id, so equal sets have equal ids and a flow state is three numbers.
// The set with no loop running is id 0 and is never stored.
// A loop start row left over from a finished loop is not part of it: a song
// that loops a stretch and then jumps back to its start repeats there, not a
// pattern later.
class LoopSets {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    explicit LoopSets(std::int32_t channels) : width_(static_cast<std::size_t>(std::max(channels, 0))) {}

    // The id of the flow's current loops.
    std::uint32_t IdOf(const Play& flow) {
        bool anyRunning = false;
        for (std::size_t c = 0; c < width_; ++c) {
            const ChannelState& channel = flow.channels[c];
            // Loop rows are pattern rows (below 65536) and counters are 4-bit, so the packing is exact.
            scratch_[c] = channel.loopCount == 0
                              ? 0
                              : (static_cast<std::uint32_t>(channel.loopRow) << 8 | channel.loopCount);
            anyRunning = anyRunning || channel.loopCount != 0;
        }
        if (!anyRunning) return 0;
        if (last_ != kNone && SameAs(last_)) return last_;
        last_ = Intern();
        return last_;
    }

private:
    const std::uint32_t* Set(std::uint32_t id) const { return pool_.data() + (id - 1) * width_; }
    bool SameAs(std::uint32_t id) const { return std::equal(scratch_.begin(), scratch_.begin() + width_, Set(id)); }

    std::uint64_t Hash() const {
        std::uint64_t hash = 1469598103934665603u;
        for (std::size_t c = 0; c < width_; ++c) hash = HashStep(hash, scratch_[c]);
        return hash;
    }

    std::uint32_t Intern() {
        if (index_.empty()) index_.assign(64, kNone);
        const std::size_t mask = index_.size() - 1;
        for (std::size_t slot = SlotOf(Hash(), mask);; slot = (slot + 1) & mask) {
            if (index_[slot] == kNone) break;
            if (SameAs(index_[slot])) return index_[slot];
        }
        const std::uint32_t id = ++count_;
        pool_.insert(pool_.end(), scratch_.begin(), scratch_.begin() + width_);
        if (2 * count_ > index_.size()) {
            index_.assign(2 * index_.size(), kNone);
            for (std::uint32_t known = 1; known <= count_; ++known) Place(known);
        } else {
            Place(id);
        }
        return id;
    }

    void Place(std::uint32_t id) {
        std::copy_n(Set(id), width_, scratch_.begin());
        const std::size_t mask = index_.size() - 1;
        std::size_t slot = SlotOf(Hash(), mask);
        while (index_[slot] != kNone) slot = (slot + 1) & mask;
        index_[slot] = id;
    }

    std::size_t width_;
    std::array<std::uint32_t, kMaxChannels> scratch_{};
    std::vector<std::uint32_t> pool_;   // width_ entries per set, from id 1 on
    std::vector<std::uint32_t> index_;  // ids by hash; kNone is a free slot
    std::uint32_t count_ = 0;       // sets stored, ids 1 to count_
    std::uint32_t last_ = kNone;
};

// The flow states already passed in this pass. Most rows run no pattern
// loop: those are one bit each, so a scan of an ordinary song allocates
// nothing. The others are kept as bits of 64-row runs: a run is one table
// entry named by its order, first row and loop set id, so a scan stepping row
// by row mostly finds its run where the last row left it. The table grows to
// twice its size when half full: a few times per scan (a pass keeps at most
// kMaxScanRowStarts states), never for a row of a run already there.
class VisitedStates {
public:
    // Positions of a loaded song fit 16 bits (256 orders; rows are a 16-bit
    // count, which an empty pattern keeps as the file says); the scan stops
    // at one outside rather than mistake it.
    static bool Fits(const Play& flow) {
        return flow.orderIndex >= 0 && flow.orderIndex <= 0xFFFF && flow.row >= 0 && flow.row <= 0xFFFF;
    }

    // Adds the flow's state; false when it was there already. loops: the id
    // of the flow's running loop set. The flow Fits.
    bool Insert(const Play& flow, std::uint32_t loops) {
        if (const std::int32_t bit = PlainBit(flow, loops); bit >= 0) {
            const bool known = plain_[static_cast<std::size_t>(bit)];
            plain_[static_cast<std::size_t>(bit)] = true;
            return !known;
        }
        const std::uint64_t key = std::uint64_t{loops} << 32 | static_cast<std::uint32_t>(flow.orderIndex) << 16 |
                                  static_cast<std::uint32_t>(flow.row) >> 6;
        const std::uint64_t bit = std::uint64_t{1} << (flow.row & 63);
        if (runs_.empty()) runs_.assign(256, Run{kFree, 0});
        if (runs_[last_].key != key) {
            last_ = Find(key);
            if (runs_[last_].key != key) {
                if (2 * (used_ + 1) > runs_.size()) Grow();
                last_ = Find(key);
                runs_[last_].key = key;
                ++used_;
            }
        }
        const bool known = (runs_[last_].rows & bit) != 0;
        runs_[last_].rows |= bit;
        return !known;
    }
    void Clear() {
        plain_.reset();
        if (used_ != 0) std::fill(runs_.begin(), runs_.end(), Run{kFree, 0});
        used_ = 0;
    }

private:
    static constexpr std::int32_t kPositions = 256;
    // Loop set ids stay below kNone, so no key is all ones.
    static constexpr std::uint64_t kFree = UINT64_MAX;
    struct Run {
        std::uint64_t key;   // loop set id, order, first row / 64
        std::uint64_t rows;  // bit r: row first + r was passed
    };

    // The state's bit when no loop runs and the position fits, else -1.
    static std::int32_t PlainBit(const Play& flow, std::uint32_t loops) {
        if (loops != 0 || flow.orderIndex >= kPositions || flow.row >= kPositions) return -1;
        return flow.orderIndex * kPositions + flow.row;
    }

    // The slot holding the key, or the free slot where it would go.
    std::size_t Find(std::uint64_t key) const {
        const std::size_t mask = runs_.size() - 1;
        std::size_t slot = SlotOf(key * 0x9E3779B97F4A7C15u, mask);
        while (runs_[slot].key != kFree && runs_[slot].key != key) slot = (slot + 1) & mask;
        return slot;
    }

    void Grow() {
        std::vector<Run> old(2 * runs_.size(), Run{kFree, 0});
        old.swap(runs_);
        for (const Run& run : old) {
            if (run.key != kFree) runs_[Find(run.key)] = run;
        }
    }

    std::bitset<kPositions * kPositions> plain_;
    std::vector<Run> runs_;  // open addressing; a key of kFree is a free slot
    std::size_t used_ = 0;
    std::size_t last_ = 0;   // the slot of the run used last
};

// Runs the row the flow is at, as the sequencer's row start does, but only
// the flow effects; leaves the next position pending. False when the song
// runs off its last order here. loopsTouched: a pattern loop effect ran, so
// the running loops may have changed (nothing else changes them).
bool StepRow(Play& flow, bool& loopsTouched) {
    flow.patternDelayTicks = 0;
    if (const PatternCell* cells = CurrentRowCells(flow)) {
        bool jumpSeen = false;
        const std::int32_t channels = ProcessedChannels(flow);
        for (std::int32_t c = 0; c < channels; ++c) {
            const PatternCell& cell = cells[c];
            if (cell.effect >= effect::kPortamentoUp && cell.effect <= effect::kLastRowEffect) {
                ApplyFlowEffect(flow, flow.channels[c], cell, jumpSeen);
                loopsTouched = loopsTouched || (cell.effect == effect::kExtended &&
                                                (cell.param >> 4) == extended_effect::kPatternLoop);
            }
        }
    }
    return ChooseNextPosition(flow);
}

// Frames of the row just stepped: its ticks, each as long as the tempo says.
std::uint64_t RowFrames(Play& flow) {
    const std::int32_t ticks = std::max(flow.speed + flow.patternDelayTicks, 1);
    if (flow.outputRate == kOutputRate) {
        return static_cast<std::uint64_t>(ticks) * static_cast<std::uint64_t>(std::max(flow.samplesPerTick, 1));
    }
    std::uint64_t frames = 0;
    for (std::int32_t t = 0; t < ticks; ++t) frames += static_cast<std::uint64_t>(NextTickFrames(flow));
    return frames;
}

}  // namespace

SongScan ScanSong(const Song& song, std::uint32_t passes, std::uint32_t outputRate) {
    // A play of the song's flow alone: only the loop fields of its channels
    // are used, and no voice sounds.
    Play flow;
    ResetPlay(flow, song, outputRate);

    SongScan scan;
    VisitedStates visited;
    LoopSets loopSets(ProcessedChannels(flow));
    std::uint32_t loops = 0;  // the song starts with no loop running
    std::uint32_t passesLeft = std::max<std::uint32_t>(passes, 1);
    bool atKnownState = false;  // the row start is in visited already
    TakePendingPosition(flow);
    while (true) {
        if (scan.rowStarts >= kMaxScanRowStarts || !VisitedStates::Fits(flow)) {
            scan.capped = true;
            return scan;
        }
        if (!atKnownState) visited.Insert(flow, loops);
        atKnownState = false;
        bool loopsTouched = false;
        const bool goesOn = StepRow(flow, loopsTouched);
        if (loopsTouched) loops = loopSets.IdOf(flow);
        scan.frames += RowFrames(flow);
        scan.rowStarts += 1;
        scan.endOrder = flow.orderIndex;
        scan.endRow = flow.row;
        TakePendingPosition(flow);
        // Adding the next row start now spares a second look-up at the top of the loop.
        const bool repeats = goesOn && VisitedStates::Fits(flow) && !visited.Insert(flow, loops);
        atKnownState = goesOn;
        if (!goesOn || repeats) {
            scan.ranOffEnd = !goesOn;
            if (--passesLeft == 0) return scan;
            visited.Clear();
            atKnownState = false;
        }
    }
}

}  // namespace zumbrik
