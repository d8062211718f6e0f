#pragma once
// A module from tests/support/xm_builder.h, written as XM bytes, loaded by
// the real loader, then stepped tick by tick.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/engine/sequencer.h"
#include "player/formats/song_loader.h"
#include "player/formats/xm_writer.h"
#include "tests/support/xm_builder.h"

namespace zumbrik::test {

struct SteppedSong {
    std::vector<std::uint8_t> bytes;
    ModuleArena arena;
    zumbrik::Song song{};
    Play state{};
    SongClock clock;
    bool ended = false;

    // Runs one whole tick (whatever its length turns out to be).
    void Tick(bool playOnce = false) {
        std::vector<std::int32_t> scratch(2);
        ended = ended || !RenderFrames(state, scratch.data(), 1, playOnce, clock);
        if (!ended && state.tickFramesLeft > 0) {
            scratch.assign(2 * static_cast<std::size_t>(state.tickFramesLeft), 0);
            RenderFrames(state, scratch.data(), static_cast<std::uint32_t>(state.tickFramesLeft), playOnce, clock);
        }
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) Tick();
    }
    ChannelState& Channel(int c = 0) { return state.channels[c]; }
    MixVoice& Voice(int c = 0) { return state.voices[state.channels[c].voice]; }
};

// Any module's bytes, loaded through the probe whatever their format.
inline std::unique_ptr<SteppedSong> LoadSongBytes(std::vector<std::uint8_t> bytes) {
    auto song = std::make_unique<SteppedSong>();
    song->bytes = std::move(bytes);
    ModuleSource source = MakeMemorySource(song->bytes.data(), static_cast<std::uint32_t>(song->bytes.size()));
    const bool loaded = LoadModule(source, song->arena, song->song) == LoadResult::Loaded;
    source.Close();
    if (loaded) ResetPlay(song->state, song->song);
    return loaded ? std::move(song) : nullptr;
}

inline std::unique_ptr<SteppedSong> LoadSong(const XmModule& module) { return LoadSongBytes(WriteXm(module)); }

}  // namespace zumbrik::test
