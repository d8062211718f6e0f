// Loads any byte string as a module, scans its song, then plays a short slice
// of each pattern the song plays: the first order naming it is reached through
// the player's own jump and played for a few ticks, of which only the first
// frames are mixed. So every pattern is visited, with its row and tick effects
// and the mixer's note starts, in a bounded number of frames per input.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "module_checks.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/mixer/mix_buffer.h"
#include "player/mixer/sample_conversion.h"
#include "player/engine/sequencer.h"
#include "player/engine/song_position.h"
#include "player/engine/song_scan.h"
#include "player/formats/song_loader.h"

namespace {

using namespace zumbrik;

// Samples as long as hostile headers declare them (zero-filled, poisoned and
// freed per input) cost allocator time and add nothing here: the loader
// target takes them with the player's own cap. 2 MB holds the patterns and
// sample data a 64 KB input carries; a module past it is refused, as the
// loader target refuses one past its cap.
constexpr std::size_t kFuzzArenaCap = std::size_t{2} << 20;
constexpr std::uint32_t kSliceFrames = 32;      // mixed of each tick
constexpr int kTicksPerOrder = 4;               // after the jump has been taken
constexpr int kMaxTicksToRowStart = 32;         // a long row (speed, pattern delay) is left early
constexpr std::uint32_t kMaxFrames = 32 * 1024;  // per input, whatever the song

struct SliceRenderer {
    explicit SliceRenderer(Play& play) : state(play) {}

    Play& state;
    MixBuffer mix{};
    std::int16_t out[2 * kSegmentFrames] = {};
    SongClock clock;
    std::uint32_t framesLeft = kMaxFrames;

    // Starts the next tick and mixes the start of it; false once the frame budget is spent.
    bool PlayTick() {
        if (framesLeft == 0) return false;
        const std::uint32_t frames = std::min(kSliceFrames, framesLeft);
        std::fill_n(mix.accumulators, 2 * frames, 0);
        RenderFrames(state, mix.accumulators, frames, false, clock);
        ConvertAccumulators(mix.accumulators, out, 2 * frames, kUnityVolume);
        framesLeft -= frames;
        state.tickFramesLeft = 0;  // the rest of the tick is skipped
        return true;
    }
};

void CheckVoices(const Play& state) {
    for (int v = 0; v < 2 * state.song->channelCount; ++v) {
        const MixVoice& voice = state.voices[v];
        fuzz::Require(voice.volume <= 127 && voice.panning <= 255);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ModuleSource source = MakeMemorySource(data, static_cast<std::uint32_t>(size));
    const SongLoad load = LoadSong(source, kFuzzArenaCap);
    if (!load.song) return 0;
    const Song& song = load.song->song;
    fuzz::CheckLoadedModule(song);
    // The scan follows untrusted jumps and loops too; it must end within its bound.
    const SongScan scan = ScanSong(song, 1);
    fuzz::Require(scan.rowStarts <= kMaxScanRowStarts);

    static Play state;  // large: kept off the fuzzer's stack
    ResetPlay(state, song);
    fuzz::CheckPlayStart(state);
    SliceRenderer renderer(state);
    bool patternVisited[256] = {};
    for (int order = 0; order < song.songLength; ++order) {
        // Orders repeating a pattern add little: the budget goes to the next new pattern.
        const std::uint8_t pattern = song.orderTable[order];
        if (order != 0 && patternVisited[pattern]) continue;
        patternVisited[pattern] = true;
        JumpToOrderStart(state, order);
        // The jump is taken at the next row start: finish the row playing now.
        for (int t = 0; t < kMaxTicksToRowStart && state.tick != 0; ++t) {
            if (!renderer.PlayTick()) return 0;
        }
        for (int t = 0; t < kTicksPerOrder; ++t) {
            if (!renderer.PlayTick()) return 0;
        }
        CheckVoices(state);
    }
    return 0;
}
