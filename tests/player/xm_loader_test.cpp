#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#include "player/engine/channel_update.h"
#include "player/engine/play_records.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/formats/xm_loader.h"
#include "player/formats/xm_writer.h"
#include "tests/support/xm_builder.h"

namespace zumbrik {
namespace {

using test::Instrument;

XmPattern Pattern(std::uint16_t rows, std::vector<XmCell> cells = {}) {
    XmPattern pattern;
    pattern.rows = rows;
    pattern.cells = std::move(cells);
    return pattern;
}

XmSample Sample8(std::vector<std::int32_t> values) {
    XmSample sample;
    sample.values = std::move(values);
    return sample;
}

// A two-channel module with one 4-row pattern.
XmModule SmallModule() {
    XmModule module;
    module.channels = 2;
    module.orders = {0};
    module.patterns = {Pattern(4)};
    return module;
}

class LoaderTest : public ::testing::Test {
protected:
    bool Load(const XmModule& module) {
        bytes_ = WriteXm(module);
        return LoadBytes(bytes_);
    }
    bool LoadBytes(const std::vector<std::uint8_t>& bytes) { return LoadResultOf(bytes) == LoadResult::Loaded; }
    LoadResult LoadResultOf(const std::vector<std::uint8_t>& bytes) {
        arena_.Release();
        bytes_ = bytes;
        ModuleSource source = MakeMemorySource(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()));
        const LoadResult result = LoadXm(source, arena_, song_);
        position_ = source.position;
        source.Close();
        if (result == LoadResult::Loaded) ResetPlay(play_, song_);
        return result;
    }
    const PatternCell& Cell(int pattern, int row, int channel) const {
        return song_.patterns[pattern].cells[row * song_.channelCount + channel];
    }
    const SampleRecord& SampleAt(int instrument, int slot) const {
        return *song_.instruments[instrument].samples[slot];
    }

    std::vector<std::uint8_t> bytes_;
    ModuleArena arena_;
    Song song_{};
    Play play_{};
    std::int64_t position_ = 0;
};

TEST_F(LoaderTest, FillsTheSongFieldsAndTheChannelRecords) {
    XmModule module = SmallModule();
    module.channels = 0x0103;  // only the low byte counts; the high byte seeds the global slide memory
    module.orders = {0, 0, 0};
    module.restartPosition = 2;
    module.flags = 1;
    module.tempo = 5;
    module.bpm = 125;
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(song_.songLength, 3);
    EXPECT_EQ(song_.restartPosition, 2);
    EXPECT_EQ(song_.channelCount, 3);
    EXPECT_EQ(song_.channelCountAsRead, 3);
    EXPECT_EQ(song_.initialGlobalVolumeSlide, 1);
    EXPECT_EQ(play_.globalVolumeSlide, 1);
    EXPECT_EQ(song_.moduleFlags, 1);
    EXPECT_EQ(song_.defaultTempo, 5);
    EXPECT_EQ(play_.speed, 5);
    EXPECT_EQ(play_.samplesPerTick, 960);
    EXPECT_EQ(play_.globalVolume, 64);
    EXPECT_EQ(play_.pendingOrder, 0);
    EXPECT_EQ(play_.pendingRow, 0);
    EXPECT_EQ(play_.tickFramesLeft, 0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(play_.channels[c].voice, 2 * c);
        EXPECT_EQ(play_.voices[2 * c].stepInteger, 1u);
        EXPECT_EQ(play_.voices[2 * c].stepFraction, 0u);
        EXPECT_EQ(play_.voices[2 * c + 1].stepInteger, 0u);
        EXPECT_EQ(play_.voices[2 * c].sample, nullptr);
    }
}

TEST_F(LoaderTest, PackedAndUnpackedCellsLoadAlike) {
    std::vector<XmCell> cells(8);
    cells[0] = test::Cell(49, 1, 0x40, 0x0C, 0x20);  // all five fields: written plain even when packing
    cells[3] = test::Cell(97, 0);                    // key-off alone
    cells[5] = test::Cell(0, 0, 0, 0x0F, 3);         // effect only
    cells[6] = test::Cell(0, 1);                     // instrument only
    XmModule module = SmallModule();
    module.patterns = {Pattern(4, cells), Pattern(4, cells)};
    module.patterns[1].encoding = XmPatternEncoding::Unpacked;
    module.orders = {0, 1};
    module.instruments = {Instrument({})};
    ASSERT_TRUE(Load(module));
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 8; ++i) {
            const PatternCell& cell = Cell(p, i / 2, i % 2);
            EXPECT_EQ(cell.note, cells[i].note) << p << " " << i;
            EXPECT_EQ(cell.instrument, cells[i].instrument);
            EXPECT_EQ(cell.volume, cells[i].volume);
            EXPECT_EQ(cell.effect, cells[i].effect);
            EXPECT_EQ(cell.param, cells[i].param);
        }
    }
    EXPECT_EQ(song_.patterns[0].packedSize, EncodePatternCells(module.patterns[0], 2).size());
    EXPECT_EQ(song_.patterns[1].packedSize, 40);
}

TEST_F(LoaderTest, InstrumentNumbersBeyondTheCountLoadAsNone) {
    XmModule module = SmallModule();
    module.patterns = {Pattern(1, {test::Cell(1, 2), test::Cell(1, 3)})};
    module.instruments = {Instrument({}), Instrument({})};
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(Cell(0, 0, 0).instrument, 2);
    EXPECT_EQ(Cell(0, 0, 1).instrument, 0);
    EXPECT_EQ(Cell(0, 0, 1).note, 1);
}

TEST_F(LoaderTest, OrdersNamingMissingPatternsGetEmptyPatterns) {
    XmModule module = SmallModule();
    module.patterns.assign(10, Pattern(4, {test::Cell(1, 0)}));
    module.orders = {0, 200, 3, 250};
    module.songLengthField = 3;  // order 250 lies beyond the song
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(song_.patternCount, 201);
    for (int p = 10; p <= 200; ++p) {
        ASSERT_EQ(song_.patterns[p].rows, 64) << p;
        EXPECT_EQ(song_.patterns[p].packedSize, 0);
        ASSERT_NE(song_.patterns[p].cells, nullptr);
        for (int i = 0; i < 64 * 2; ++i) ASSERT_EQ(song_.patterns[p].cells[i].note, 0);
    }
    EXPECT_EQ(song_.patterns[9].rows, 4);
    EXPECT_EQ(Cell(9, 0, 0).note, 1);
}

TEST_F(LoaderTest, APatternWithoutDataKeepsItsRowsAndTheNextHeaderFollowsAtOnce) {
    XmModule module = SmallModule();
    module.patterns = {Pattern(32, {test::Cell(5, 0)}), Pattern(2, {test::Cell(7, 0)})};
    module.patterns[0].encoding = XmPatternEncoding::NoData;
    module.patterns[1].headerLength = 20;  // the length field is not used: 9 bytes are read
    module.orders = {0, 1};
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(song_.patterns[0].rows, 32);
    EXPECT_EQ(song_.patterns[0].packedSize, 0);
    EXPECT_EQ(song_.patterns[0].cells, nullptr);
    EXPECT_EQ(song_.patterns[1].rows, 2);
    EXPECT_EQ(Cell(1, 0, 0).note, 7);
}

TEST_F(LoaderTest, TheFirstPatternFollowsTheHeaderSize) {
    XmModule module = SmallModule();
    module.patterns = {Pattern(1, {test::Cell(9, 0)})};
    module.headerSize = 300;  // padding after the order table
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(Cell(0, 0, 0).note, 9);

    module.headerSize = 100;  // the pattern overlaps the order table and is read from 160
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(Cell(0, 0, 0).note, 9);

    // A header size reaching past the end is ignored: the pattern is read at 336.
    module.headerSize = 276;
    std::vector<std::uint8_t> bytes = WriteXm(module);
    bytes[60] = 0xFF;
    bytes[61] = 0xFF;
    bytes[62] = 0xFF;
    bytes[63] = 0x7F;
    ASSERT_TRUE(LoadBytes(bytes));
    EXPECT_EQ(Cell(0, 0, 0).note, 9);
}

TEST_F(LoaderTest, RejectsModulesBeyondTheLimitsAndSaysWhy) {
    struct Case {
        const char* what;
        void (*change)(XmModule&);
        LoadResult reason;
    };
    const Case cases[] = {
        {"no patterns", [](XmModule& m) { m.patternCountField = 0; }, LoadResult::NoPatterns},
        {"song length 0", [](XmModule& m) { m.songLengthField = 0; }, LoadResult::SongLength},
        {"song length 257", [](XmModule& m) { m.songLengthField = 257; }, LoadResult::SongLength},
        {"no channels", [](XmModule& m) { m.channels = 0x0100; }, LoadResult::ChannelCount},
        {"65 channels", [](XmModule& m) { m.channels = 65; }, LoadResult::ChannelCount},
        {"0 rows with data", [](XmModule& m) { m.patterns[0].rows = 0; m.patterns[0].packedSizeField = 5; },
         LoadResult::PatternRows},
        {"257 rows", [](XmModule& m) { m.patterns[0].rows = 257; }, LoadResult::PatternRows},
        {"17 samples", [](XmModule& m) { m.instruments[0].sampleCountField = 17; }, LoadResult::InstrumentSamples},
        {"sample header of 41", [](XmModule& m) { m.instruments[0].sampleHeaderSize = 41; },
         LoadResult::InstrumentSamples},
        {"2^22 frames", [](XmModule& m) { m.instruments[0].samples[0].lengthField = 1u << 22; },
         LoadResult::SampleLength},
        {"2^22 frames of 16 bits",
         [](XmModule& m) {
             m.instruments[0].samples[0].is16Bit = true;
             m.instruments[0].samples[0].lengthField = 1u << 23;
         },
         LoadResult::SampleLength},
        {"negative length", [](XmModule& m) { m.instruments[0].samples[0].lengthField = 0x80000000u; },
         LoadResult::SampleLength},
    };
    XmModule good = SmallModule();
    good.instruments = {Instrument({Sample8({1, 2, 3})})};
    ASSERT_TRUE(Load(good));
    for (const Case& c : cases) {
        XmModule module = good;
        c.change(module);
        EXPECT_EQ(LoadResultOf(WriteXm(module)), c.reason) << c.what;
        std::vector<std::uint8_t> unmarked = WriteXm(module);
        unmarked[0] = 'e';  // without the ID text the same refusal says it is no XM file
        EXPECT_EQ(LoadResultOf(unmarked), LoadResult::NotXmFile) << c.what;
        EXPECT_STRNE(LoadResultText(c.reason), LoadResultText(LoadResult::NotXmFile));
    }
    // The lenient loader still takes a module without the ID text; what it
    // refuses when shorter than a file header is no XM file, ID or not.
    std::vector<std::uint8_t> unmarked = WriteXm(good);
    unmarked[0] = 'e';
    EXPECT_EQ(LoadResultOf(unmarked), LoadResult::Loaded);
    const std::vector<std::uint8_t> whole = WriteXm(good);
    EXPECT_EQ(LoadResultOf({whole.begin(), whole.begin() + 50}), LoadResult::NotXmFile);
    EXPECT_EQ(LoadResultOf({'h', 'e', 'l', 'l', 'o'}), LoadResult::NotXmFile);
    std::vector<std::uint8_t> headerOnly(whole.begin(), whole.begin() + 336);  // a whole header, song length 0
    headerOnly[64] = headerOnly[65] = 0;
    EXPECT_EQ(LoadResultOf(headerOnly), LoadResult::SongLength);
    EXPECT_EQ(LoadResultOf({headerOnly.begin(), headerOnly.end() - 1}), LoadResult::NotXmFile);
    // The limits themselves load.
    XmModule edge = good;
    edge.channels = 64;
    edge.orders.assign(256, 0);
    edge.patterns[0].rows = 256;
    edge.instruments[0].samples.assign(16, Sample8({1}));
    ASSERT_TRUE(Load(edge));
    EXPECT_EQ(song_.patterns[0].rows, 256);
    EXPECT_NE(song_.instruments[0].samples[15], nullptr);
}

TEST_F(LoaderTest, SamplesBeyondTheArenaCapFailTheLoad) {
    XmModule module = SmallModule();
    const XmInstrument big = Instrument({Sample8(std::vector<std::int32_t>(1 << 20, 1))});
    module.instruments = {big, big, big};  // 2 MB of records each
    bytes_ = WriteXm(module);
    for (const auto& [cap, loads] : {std::pair{std::size_t{5} << 20, false}, std::pair{std::size_t{7} << 20, true}}) {
        ModuleArena arena(cap);
        Song state{};
        ModuleSource source = MakeMemorySource(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()));
        EXPECT_EQ(LoadXm(source, arena, state), loads ? LoadResult::Loaded : LoadResult::MemoryCap) << cap;
        EXPECT_LE(arena.BytesAllocated(), cap);
    }
    // Under the default cap, a header claiming more than the arena holds is refused.
    ModuleArena arena;
    EXPECT_EQ(arena.Allocate(ModuleArena::kDefaultCap + 1), nullptr);
}

TEST_F(LoaderTest, CopiesTheInstrumentHeader) {
    XmInstrument instrument = Instrument({Sample8({0}), Sample8({0})});
    for (int i = 0; i < 96; ++i) instrument.keymap[i] = static_cast<std::uint8_t>(i % 2);
    instrument.keymap[94] = 16;  // one past the last sample
    instrument.keymap[95] = 40;  // out of range: kept for the sequencer to refuse
    instrument.volumeEnvelope.points[0] = {0, 64};
    instrument.volumeEnvelope.points[11] = {300, 7};
    instrument.volumeEnvelope.pointCount = 20;  // stored as read
    instrument.volumeEnvelope.sustain = 1;
    instrument.volumeEnvelope.loopStart = 2;
    instrument.volumeEnvelope.loopEnd = 3;
    instrument.volumeEnvelope.type = 7;
    instrument.panningEnvelope.points[0] = {0, 32};
    instrument.panningEnvelope.pointCount = 1;  // a single point: switched off
    instrument.panningEnvelope.type = 1;
    instrument.panningEnvelope.loopEnd = 9;
    instrument.vibratoType = 1;
    instrument.vibratoSweep = 2;
    instrument.vibratoDepth = 3;
    instrument.vibratoRate = 4;
    instrument.fadeout = 0x9001;  // doubled, wrapping in 16 bits
    XmInstrument singlePoint = Instrument({Sample8({0})});
    singlePoint.volumeEnvelope.pointCount = 1;  // a single point: switched off on this side too
    singlePoint.volumeEnvelope.type = 1;
    XmModule module = SmallModule();
    module.instruments = {instrument, singlePoint};
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(song_.instruments[1].volumeType, 0);
    const InstrumentRecord& loaded = song_.instruments[0];
    EXPECT_EQ(loaded.keymap[1], 1);
    EXPECT_EQ(loaded.keymap[95], 40);
    EXPECT_EQ(FindInstrumentSample(loaded, 94), nullptr);
    EXPECT_EQ(FindInstrumentSample(loaded, 95), nullptr);
    EXPECT_EQ(loaded.volumeEnvelope[0].y, 64);
    EXPECT_EQ(loaded.volumeEnvelope[11].x, 300);
    EXPECT_EQ(loaded.volumeEnvelope[11].y, 7);
    EXPECT_EQ(loaded.volumePointCount, 20);
    EXPECT_EQ(loaded.volumeSustain, 1);
    EXPECT_EQ(loaded.volumeLoopStart, 2);
    EXPECT_EQ(loaded.volumeLoopEnd, 3);
    EXPECT_EQ(loaded.volumeType, 7);
    EXPECT_EQ(loaded.panningEnvelope[0].y, 32);
    EXPECT_EQ(loaded.panningPointCount, 1);
    EXPECT_EQ(loaded.panningType, 0);
    EXPECT_EQ(loaded.panningLoopEnd, 9);
    EXPECT_EQ(loaded.vibratoType, 1);
    EXPECT_EQ(loaded.vibratoSweep, 2);
    EXPECT_EQ(loaded.vibratoDepth, 3);
    EXPECT_EQ(loaded.vibratoRate, 4);
    EXPECT_EQ(loaded.fadeout, 0x2002);
    EXPECT_NE(loaded.samples[1], nullptr);
    EXPECT_EQ(loaded.samples[2], nullptr);
}

TEST_F(LoaderTest, ShortInstrumentHeadersSeekBackToTheirEnd) {
    XmInstrument empty29;
    empty29.headerSize = 29;  // no sample header size field at all
    XmInstrument shortWithSamples = Instrument({Sample8({10, 20, 30})});
    shortWithSamples.headerSize = 200;  // the sample headers start inside what the loader read
    XmInstrument longWithSamples = Instrument({Sample8({-5, 5})});
    longWithSamples.headerSize = 300;
    XmModule module = SmallModule();
    module.instruments = {empty29, shortWithSamples, empty29, longWithSamples, empty29};
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(song_.instruments[0].samples[0], nullptr);
    ASSERT_NE(song_.instruments[1].samples[0], nullptr);
    EXPECT_EQ(SampleAt(1, 0).length, 3u);
    EXPECT_EQ(SampleAt(1, 0).data[2], 30 * 256);
    EXPECT_EQ(song_.instruments[2].samples[0], nullptr);
    EXPECT_EQ(SampleAt(3, 0).length, 2u);
    EXPECT_EQ(SampleAt(3, 0).data[0], -5 * 256);
    // The last instrument reads 4 bytes past the end; the seek back lands on the end.
    EXPECT_EQ(position_, static_cast<std::int64_t>(bytes_.size()));
}

TEST_F(LoaderTest, ShortSampleHeadersLeaveTheLaterFieldsZero) {
    XmSample first = Sample8({1, 2, 3, 4});
    first.loopType = ForwardLoop;
    first.loopStart = 1;
    first.loopLength = 2;
    first.panning = 200;
    first.relativeNote = 12;
    XmSample second = first;
    XmInstrument instrument = Instrument({first, second});
    instrument.sampleHeaderSize = 16;  // up to the panning: no relative note or packing
    XmModule module = SmallModule();
    module.instruments = {instrument};
    ASSERT_TRUE(Load(module));
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(SampleAt(0, s).panning, 200);
        EXPECT_EQ(SampleAt(0, s).relativeNote, 0);
        EXPECT_EQ(SampleAt(0, s).loopType, ForwardLoop);
        EXPECT_EQ(SampleAt(0, s).data[2], 3 * 256);
        EXPECT_EQ(SampleAt(0, s).data[3], 2 * 256);  // the guard of the loop 1..2
    }
    // Without even a length, a sample is empty and takes no data.
    instrument.sampleHeaderSize = 0;
    instrument.samples = {Sample8({})};
    module.instruments = {instrument, Instrument({Sample8({9})})};
    ASSERT_TRUE(Load(module));
    EXPECT_EQ(SampleAt(0, 0).length, 0u);
    EXPECT_EQ(SampleAt(1, 0).data[0], 9 * 256);
}

TEST_F(LoaderTest, DecodesDeltaSamples) {
    XmSample raw;
    raw.rawData = std::vector<std::uint8_t>{0x40, 0x10, 0xF0};
    raw.lengthField = 3;
    XmSample wide;
    wide.is16Bit = true;
    wide.values = {1000, -32768, 32767, -1};
    XmSample odd;  // 7 bytes of 16-bit data: 3 whole frames
    odd.is16Bit = true;
    odd.values = {100, 200, 300};
    odd.lengthField = 7;
    odd.loopType = ForwardLoop;
    odd.loopStartField = 3;   // frame 1
    odd.loopLengthField = 5;  // 2 frames
    odd.rawData = std::vector<std::uint8_t>{100, 0, 100, 0, 100, 0, 0x55};
    XmModule module = SmallModule();
    module.instruments = {Instrument({raw, wide, odd, Sample8({-128, 127, 0})})};
    ASSERT_TRUE(Load(module));
    const SampleRecord& eight = SampleAt(0, 0);
    EXPECT_EQ(eight.is16Bit, 0);
    EXPECT_EQ(eight.data[0], 0x4000);
    EXPECT_EQ(eight.data[1], 0x5000);
    EXPECT_EQ(eight.data[2], 0x4000);
    const SampleRecord& sixteen = SampleAt(0, 1);
    EXPECT_EQ(sixteen.is16Bit, 1);
    EXPECT_EQ(sixteen.length, 4u);
    EXPECT_EQ(sixteen.data[0], 1000);
    EXPECT_EQ(sixteen.data[1], -32768);
    EXPECT_EQ(sixteen.data[2], 32767);
    EXPECT_EQ(sixteen.data[3], -1);
    const SampleRecord& truncated = SampleAt(0, 2);
    EXPECT_EQ(truncated.length, 3u);
    EXPECT_EQ(truncated.loopStart, 1u);
    EXPECT_EQ(truncated.loopLength, 2u);
    EXPECT_EQ(truncated.data[2], 300);
    // The odd byte is not read as data: the next sample starts right after 6 bytes.
    EXPECT_EQ(SampleAt(0, 3).data[0], 0x5500);
}

TEST_F(LoaderTest, DecodesFourBitPackedSamples) {
    XmSample packed;
    packed.packed4Bit = true;
    packed.values = {1, 3, 7, 15, 31, 63, -1, -1, -2};  // every step is in the default table
    XmSample custom;
    custom.packingField = 0xAD;
    custom.lengthField = 3;
    // Table entries 1 = +10, 2 = -3; nibbles 1, 2, 1 then a padding nibble of 2.
    std::vector<std::uint8_t> raw(16, 0);
    raw[1] = 10;
    raw[2] = 0xFD;
    raw.push_back(0x21);
    raw.push_back(0x21);
    custom.rawData = raw;
    XmModule module = SmallModule();
    module.instruments = {Instrument({packed, custom, Sample8({42})})};
    ASSERT_TRUE(Load(module));
    const SampleRecord& first = SampleAt(0, 0);
    EXPECT_EQ(first.packing, 0xAD);
    ASSERT_EQ(first.length, 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(first.data[i], packed.values[i] * 256) << i;
    EXPECT_EQ(first.data[9], 0);  // no loop: the guard is the zero after the end
    const SampleRecord& second = SampleAt(0, 1);
    EXPECT_EQ(second.data[0], 10 * 256);
    EXPECT_EQ(second.data[1], 7 * 256);
    EXPECT_EQ(second.data[2], 17 * 256);
    EXPECT_EQ(second.data[3], 0);  // the padding nibble is not a sample
    EXPECT_EQ(SampleAt(0, 2).data[0], 42 * 256);

    // Past one 4096-byte chunk the last byte is decoded too; cut at the chunk's end, the frames
    // after it hold the accumulator.
    XmSample longer;
    longer.packed4Bit = true;
    longer.values = std::vector<std::int32_t>(8194, 3);
    module.instruments = {Instrument({longer})};
    const std::vector<std::uint8_t> bytes = WriteXm(module);
    for (const std::size_t cut : {0, 1}) {
        ASSERT_TRUE(LoadBytes({bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)}));
        EXPECT_EQ(SampleAt(0, 0).data[8192], 3 * 256) << cut;
        EXPECT_EQ(SampleAt(0, 0).data[8193], 3 * 256) << cut;
    }
}

TEST_F(LoaderTest, ClampsLoopsAndSetsGuardSamples) {
    auto looped = [](std::uint8_t type, std::uint32_t start, std::uint32_t length) {
        XmSample sample = Sample8({10, 20, 30, 40, 50, 60});
        sample.loopType = type;
        sample.loopStart = start;
        sample.loopLength = length;
        return sample;
    };
    XmSample hostileStart = looped(ForwardLoop, 0, 2);
    hostileStart.loopStartField = 0xFFFFFFF0u;
    XmSample hostileLength = looped(ForwardLoop, 2, 0);
    hostileLength.loopLengthField = 0xFFFFFFFFu;
    XmModule module = SmallModule();
    module.instruments = {Instrument({
        looped(ForwardLoop, 1, 2),    // 0: guard replaces frame 3
        looped(PingPongLoop, 2, 3),   // 1
        looped(ForwardLoop, 4, 100),  // 2: cut at the end
        looped(ForwardLoop, 3, 0),    // 3: no loop
        looped(ForwardLoop, 9, 2),    // 4: start past the end
        looped(3, 1, 2),              // 5: type 3 stays
        hostileStart,                 // 6
        hostileLength,                // 7
        looped(NoLoop, 2, 2),         // 8
    })};
    ASSERT_TRUE(Load(module));
    const SampleRecord* s[9];
    for (int i = 0; i < 9; ++i) s[i] = &SampleAt(0, i);
    EXPECT_EQ(s[0]->loopType, ForwardLoop);
    EXPECT_EQ(s[0]->data[3], 20 * 256);
    EXPECT_EQ(s[0]->data[4], 50 * 256);
    EXPECT_EQ(s[1]->loopType, PingPongLoop);
    EXPECT_EQ(s[1]->data[5], 50 * 256);
    EXPECT_EQ(s[2]->loopStart, 4u);
    EXPECT_EQ(s[2]->loopLength, 2u);
    EXPECT_EQ(s[2]->data[6], 50 * 256);
    for (int i : {3, 4, 8}) {
        EXPECT_EQ(s[i]->loopType, NoLoop) << i;
        EXPECT_EQ(s[i]->loopStart, 0u) << i;
        EXPECT_EQ(s[i]->loopLength, 6u) << i;
        EXPECT_EQ(s[i]->data[6], 0) << i;
    }
    EXPECT_EQ(s[5]->loopType, 3);
    EXPECT_EQ(s[5]->loopLength, 2u);
    EXPECT_EQ(s[5]->data[3], 40 * 256);  // no guard for type 3
    EXPECT_EQ(s[6]->loopType, NoLoop);
    EXPECT_EQ(s[6]->loopLength, 6u);
    EXPECT_EQ(s[7]->loopStart, 2u);
    EXPECT_EQ(s[7]->loopLength, 4u);
    EXPECT_EQ(s[7]->data[6], 30 * 256);
}

TEST_F(LoaderTest, TruncatedModulesLoadWithEmptyTails) {
    XmModule module = SmallModule();
    std::vector<XmCell> cells(8, test::Cell(3, 1));
    module.patterns = {Pattern(4, cells)};
    module.instruments = {Instrument({Sample8(std::vector<std::int32_t>(100, 5))})};
    const std::vector<std::uint8_t> whole = WriteXm(module);
    ASSERT_TRUE(Load(module));
    // Cut inside the sample data: the missing frames decode as the last sum.
    ASSERT_TRUE(LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.end() - 50)));
    EXPECT_EQ(SampleAt(0, 0).data[49], 5 * 256);
    EXPECT_EQ(SampleAt(0, 0).data[99], 5 * 256);
    // Cut inside the pattern: the later cells are empty.
    const std::size_t patternStart = 336 + 9;
    ASSERT_TRUE(LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + patternStart + 6)));
    EXPECT_EQ(Cell(0, 0, 0).note, 3);
    EXPECT_EQ(Cell(0, 3, 1).note, 0);
    EXPECT_EQ(song_.instruments[0].samples[0], nullptr);
    // A 4-bit sample cut short holds its accumulator, or keeps stepping when nibble 0 moves it.
    XmModule packedModule = SmallModule();
    XmSample packed;
    packed.packed4Bit = true;
    packed.values = std::vector<std::int32_t>(40, 4);
    XmSample stepping = packed;
    stepping.deltaTable[0] = 1;
    packedModule.instruments = {Instrument({packed}), Instrument({stepping})};
    const std::vector<std::uint8_t> packedBytes = WriteXm(packedModule);
    // Cut after the first sample's table and first byte, and inside the second sample's table.
    const std::size_t firstData = packedBytes.size() - 2 * (16 + 20) - 40 - 263 + 16 + 1;
    ASSERT_TRUE(LoadBytes(std::vector<std::uint8_t>(packedBytes.begin(), packedBytes.begin() + firstData)));
    EXPECT_EQ(SampleAt(0, 0).data[0], 4 * 256);
    EXPECT_EQ(SampleAt(0, 0).data[39], 4 * 256);
    ASSERT_TRUE(LoadBytes(std::vector<std::uint8_t>(packedBytes.begin(), packedBytes.end() - 20 - 10)));
    EXPECT_EQ(SampleAt(1, 0).data[0], 1 * 256);
    EXPECT_EQ(SampleAt(1, 0).data[39], 40 * 256);
    // Every prefix loads or fails cleanly.
    for (std::size_t size = 0; size < whole.size(); size += 7) {
        LoadBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + size));
    }
}

TEST_F(LoaderTest, AFileLoadsLikeTheSameBytesInMemory) {
    XmModule module = SmallModule();
    module.patterns = {Pattern(64, std::vector<XmCell>(128, test::Cell(20, 1, 0x30, 1, 2))), Pattern(3)};
    module.orders = {1, 0};
    XmSample wide;
    wide.is16Bit = true;
    for (int i = 0; i < 9000; ++i) wide.values.push_back((i * 37) % 20000 - 10000);
    module.instruments = {Instrument({wide, Sample8({1, 2})})};
    ASSERT_TRUE(Load(module));
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("zumbrik_loader_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".xm"))
            .string();
    const auto loadFile = [&path](const std::uint8_t* bytes, std::size_t count, ModuleArena& arena,
                                  Song& state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return LoadResult::CannotOpen;
        std::fwrite(bytes, 1, count, file);
        std::fclose(file);
        std::uint8_t cache[kFileCacheBlock] = {};
        ModuleSource source = MakeFileSource(path.c_str(), cache);
        const LoadResult result = LoadXm(source, arena, state);
        source.Close();
        std::filesystem::remove(path);
        return result;
    };
    ModuleArena arena;
    Song fromFile{};
    // A file shorter than a header that is refused is no XM file, as in memory.
    ASSERT_EQ(loadFile(bytes_.data(), 50, arena, fromFile), LoadResult::NotXmFile);
    arena.Release();
    ASSERT_EQ(loadFile(bytes_.data(), bytes_.size(), arena, fromFile), LoadResult::Loaded);
    EXPECT_EQ(fromFile.patterns[0].rows, 64);
    for (int i = 0; i < 128; ++i) {
        ASSERT_EQ(fromFile.patterns[0].cells[i].note, song_.patterns[0].cells[i].note);
        ASSERT_EQ(fromFile.patterns[0].cells[i].param, 2);
    }
    const SampleRecord& a = *fromFile.instruments[0].samples[0];
    const SampleRecord& b = SampleAt(0, 0);
    ASSERT_EQ(a.length, 9000u);
    for (std::uint32_t i = 0; i < 9000; ++i) ASSERT_EQ(a.data[i], b.data[i]) << i;
    EXPECT_EQ(a.data[8999], wide.values[8999]);
    EXPECT_EQ(fromFile.instruments[0].samples[1]->data[1], 2 * 256);
}

TEST_F(LoaderTest, AFileThatCannotBeOpenedOrIsADirectoryFailsTheLoad) {
    std::uint8_t cache[kFileCacheBlock] = {};
    const std::string directory = std::filesystem::temp_directory_path().string();
    for (const char* path : {"/nonexistent/zumbrik/none.xm", directory.c_str()}) {
        ModuleSource source = MakeFileSource(path, cache);
        EXPECT_EQ(LoadXm(source, arena_, song_), LoadResult::CannotOpen) << path;
        source.Close();
    }
}

TEST_F(LoaderTest, AMissingResourceIsNoXmFile) {
    ModuleSource source = MakeResourceSource(0x5151, 0);
    EXPECT_EQ(LoadXm(source, arena_, song_), LoadResult::NotXmFile);
}

}  // namespace
}  // namespace zumbrik
