// Random songs and damaged files: every one that loads must render its
// frames and stop (the sanitizer build checks the reads and the arithmetic).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/player/song_stepper.h"
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"
#include "tests/support/tracker_builders.h"

namespace zumbrik {
namespace {

XmModule RandomSong(std::mt19937& random) {
    const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
    XmModule module;
    module.channels = static_cast<std::uint16_t>(1 + below(8));
    module.flags = static_cast<std::uint16_t>(below(2));
    module.tempo = static_cast<std::uint16_t>(below(8));
    module.bpm = static_cast<std::uint16_t>(32 + below(224));
    module.orders = {0, 1, 0};
    module.restartPosition = static_cast<std::uint16_t>(below(4));
    for (int p = 0; p < 2; ++p) {
        XmPattern pattern;
        pattern.rows = static_cast<std::uint16_t>(1 + below(16));
        pattern.cells.resize(static_cast<std::size_t>(pattern.rows) * module.channels);
        for (XmCell& cell : pattern.cells) {
            cell.note = static_cast<std::uint8_t>(below(4) == 0 ? below(128) : below(98));  // 98..127 count as key-off
            cell.instrument = static_cast<std::uint8_t>(below(4));
            cell.volume = static_cast<std::uint8_t>(below(256));
            cell.effect = static_cast<std::uint8_t>(below(0x24));
            cell.param = static_cast<std::uint8_t>(below(256));
        }
        module.patterns.push_back(pattern);
    }
    for (int i = 0; i < 2; ++i) {
        XmInstrument instrument;
        for (std::uint8_t& k : instrument.keymap) k = static_cast<std::uint8_t>(below(3));
        for (XmEnvelope* envelope : {&instrument.volumeEnvelope, &instrument.panningEnvelope}) {
            envelope->pointCount = static_cast<std::uint8_t>(below(14));
            for (XmEnvelopePoint& point : envelope->points) {
                point.x = static_cast<std::uint16_t>(below(40));
                point.y = static_cast<std::uint16_t>(below(80));
            }
            envelope->sustain = static_cast<std::uint8_t>(below(14));
            envelope->loopStart = static_cast<std::uint8_t>(below(14));
            envelope->loopEnd = static_cast<std::uint8_t>(below(14));
            envelope->type = static_cast<std::uint8_t>(below(8));
        }
        instrument.vibratoType = static_cast<std::uint8_t>(below(5));
        instrument.vibratoSweep = static_cast<std::uint8_t>(below(256));
        instrument.vibratoDepth = static_cast<std::uint8_t>(below(256));
        instrument.vibratoRate = static_cast<std::uint8_t>(below(256));
        instrument.fadeout = static_cast<std::uint16_t>(below(0x1000));
        for (std::uint32_t s = 0; s < 2; ++s) {
            XmSample sample;
            sample.is16Bit = below(2) == 1;
            sample.values.resize(1 + below(64));
            for (std::int32_t& value : sample.values) {
                value = sample.is16Bit ? static_cast<std::int32_t>(below(65536)) - 32768
                                       : static_cast<std::int32_t>(below(256)) - 128;
            }
            sample.loopType = static_cast<std::uint8_t>(below(4));
            sample.loopStart = below(static_cast<std::uint32_t>(sample.values.size()));
            sample.loopLength = below(3);  // loops of 0, 1 and 2 frames
            sample.finetune = static_cast<std::int8_t>(below(256));
            sample.relativeNote = static_cast<std::int8_t>(below(256));
            sample.volume = static_cast<std::uint8_t>(below(80));
            sample.panning = static_cast<std::uint8_t>(below(256));
            instrument.samples.push_back(sample);
        }
        module.instruments.push_back(instrument);
    }
    return module;
}

// Renders `frames` frames, looping; returns how many came out.
std::uint64_t RenderLooping(std::shared_ptr<const LoadedSong> song, std::uint64_t frames) {
    OfflinePlay play(std::move(song));
    play.SetRepeat(-1);
    std::vector<std::int16_t> out(2 * 1024);
    std::uint64_t rendered = 0;
    while (rendered < frames) {
        const std::size_t got = play.Render(out.data(), static_cast<std::size_t>(std::min<std::uint64_t>(1024, frames - rendered)));
        if (got == 0) break;
        rendered += got;
    }
    return rendered;
}

TEST(HostileSongs, RandomCellsEnvelopesAndLoopsRenderAndStop) {
    std::mt19937 random(2024);
    for (int trial = 0; trial < 60; ++trial) {
        const std::vector<std::uint8_t> bytes = WriteXm(RandomSong(random));
        const SongLoad load = LoadSongFromMemory(bytes.data(), bytes.size());
        ASSERT_NE(load.song, nullptr) << trial;
        ASSERT_EQ(RenderLooping(load.song, 48000), 48000u) << trial;
        EXPECT_EQ(kNoSample.finetune, 0);
    }
}

TEST(HostileSongs, DamagedFilesThatLoadRenderAndStop) {
    std::mt19937 random(99);
    int loaded = 0;
    for (int trial = 0; trial < 150; ++trial) {
        std::vector<std::uint8_t> bytes = WriteXm(RandomSong(random));
        for (int flips = 0; flips < 8; ++flips) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        ModuleSource source = MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        const SongLoad load = LoadSong(source, std::size_t{64} << 20);
        if (!load.song) continue;
        ++loaded;
        ASSERT_EQ(RenderLooping(load.song, 24000), 24000u) << trial;
    }
    EXPECT_GT(loaded, 50);
}

// Memory may run out at any of a load's allocations: each format's loader
// then says so, and never reads through the allocation that failed.
TEST(HostileSongs, MemoryRunningOutAnywhereFailsTheLoadCleanly) {
    for (const std::vector<std::uint8_t>& bytes : {WriteXm(test::BusyModule()), test::WriteMod(test::ModSongOf({})),
                                                    test::WriteS3m(test::S3mSongOf({}))}) {
        bool loaded = false;
        for (std::size_t cap = 0; !loaded; cap += 256) {
            ASSERT_LT(cap, std::size_t{1} << 20) << "never loads";
            ModuleSource source = MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
            const SongLoad load = LoadSong(source, cap);
            loaded = load.song != nullptr;
            if (!loaded) {
                ASSERT_EQ(load.result, LoadResult::MemoryCap) << cap;
            }
        }
    }
}

}  // namespace
}  // namespace zumbrik
