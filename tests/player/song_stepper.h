#pragma once
// Songs for the engine tests: written as XM bytes, loaded by the real loader,
// then stepped tick by tick.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "player/module_arena.h"
#include "player/module_source.h"
#include "player/sequencer.h"
#include "player/xm_loader.h"
#include "player/xm_writer.h"

namespace zumbrik::test {

inline XmCell Cell(std::uint8_t note, std::uint8_t instrument = 0, std::uint8_t volume = 0, std::uint8_t effect = 0,
                   std::uint8_t param = 0) {
    return XmCell{note, instrument, volume, effect, param};
}

inline XmCell Effect(std::uint8_t effect, std::uint8_t param) { return XmCell{0, 0, 0, effect, param}; }

// A module of `channels` channels with one instrument holding one 8-bit
// sample of 1000 frames at a constant level, looped forward.
inline XmModule ToneModule(std::uint16_t channels = 1, std::uint16_t tempo = 6) {
    XmModule module;
    module.channels = channels;
    module.tempo = tempo;
    module.bpm = 250;  // 480 frames per tick keeps the tests quick
    XmSample sample;
    sample.values.assign(1000, 64);  // 16384 once decoded
    sample.loopType = 1;
    sample.loopStart = 0;
    sample.loopLength = 1000;
    XmInstrument instrument;
    instrument.samples = {sample};
    module.instruments = {instrument};
    return module;
}

// Rows of `channels` cells; rows not given are empty.
inline XmPattern PatternOf(std::uint16_t rows, std::uint16_t channels,
                           std::vector<std::pair<int, std::vector<XmCell>>> filled) {
    XmPattern pattern;
    pattern.rows = rows;
    pattern.cells.assign(static_cast<std::size_t>(rows) * channels, XmCell{});
    for (auto& [row, cells] : filled) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            pattern.cells[static_cast<std::size_t>(row) * channels + c] = cells[c];
        }
    }
    return pattern;
}

struct Song {
    std::vector<std::uint8_t> bytes;
    ModuleArena arena;
    PlayerState state{};
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
    MixVoice& Voice(int c = 0) { return *state.channels[c].voice; }
};

inline std::unique_ptr<Song> LoadSong(const XmModule& module) {
    auto song = std::make_unique<Song>();
    song->bytes = WriteXm(module);
    ModuleSource source = MakeMemorySource(song->bytes.data(), static_cast<std::uint32_t>(song->bytes.size()));
    const bool loaded = LoadModule(source, song->arena, song->state) == LoadResult::Loaded;
    source.Close();
    return loaded ? std::move(song) : nullptr;
}

}  // namespace zumbrik::test
