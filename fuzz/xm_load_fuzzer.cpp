// Loads any byte string as a module from memory and plays two seconds of it:
// the loader must neither crash, hang nor allocate without bound, what it
// builds must keep every index the sequencer and mixer take from it in range,
// and the sequencer and mixer must survive whatever the module asks of them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "player/module_arena.h"
#include "player/module_source.h"
#include "player/song_pass.h"
#include "player/song_scan.h"
#include "player/xm_loader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckRecords(const zumbrik::PlayerState& state) {
    using namespace zumbrik;
    Check(state.channelCount >= 1 && state.channelCount <= 64);
    for (int i = 0; i < state.songLength; ++i) Check(state.orderTable[i] < state.patternCount);
    for (int p = 0; p < state.patternCount; ++p) {
        const PatternRecord& pattern = state.patterns[p];
        if (pattern.cells == nullptr) continue;
        for (int i = 0; i < pattern.rows * state.channelCount; ++i) {
            Check(pattern.cells[i].instrument <= state.instrumentCount);
        }
    }
    for (int i = 0; i < state.instrumentCount; ++i) {
        for (const SampleRecord* sample : state.instruments[i].samples) {
            if (sample == nullptr) continue;
            Check(std::uint64_t{sample->loopStart} + sample->loopLength <= sample->length);
            // The mixer reads up to the guard entry after the loop end.
            volatile std::int16_t guard = sample->data[sample->loopStart + sample->loopLength];
            (void)guard;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zumbrik::ModuleArena arena;
    zumbrik::PlayerState state{};
    zumbrik::ModuleSource source = zumbrik::MakeMemorySource(data, static_cast<std::uint32_t>(size));
    const bool loaded = zumbrik::LoadModule(source, arena, state) == zumbrik::LoadResult::Loaded;
    source.Close();
    if (!loaded) return 0;
    CheckRecords(state);
    // The scan follows untrusted jumps and loops too; it must end within its bound.
    const zumbrik::SongScan scan = zumbrik::ScanSong(state, 2);
    if (scan.rowStarts > zumbrik::kMaxScanRowStarts) std::abort();
    // Looping, so that jumps and the restart position are exercised too.
    static std::int16_t samples[2 * zumbrik::kSegmentFrames];
    auto pass = std::make_unique<zumbrik::SongPass>(state, false, 2 * zumbrik::kOutputRate);
    while (pass->Render(samples, zumbrik::kSegmentFrames) != 0) {
    }
    return 0;
}
