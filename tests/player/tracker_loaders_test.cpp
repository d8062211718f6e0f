// The probe and the MOD and S3M loaders: which bytes are taken for which
// format, what each format's limits refuse, and the records they build.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "player/formats/mod_loader.h"
#include "player/formats/song_loader.h"
#include "player/song/effect_codes.h"
#include "tests/support/tracker_builders.h"
#include "tests/support/xm_builder.h"

namespace zumbrik {
namespace {

using test::ModCell;
using test::S3mCell;
using test::S3mEffect;
using test::S3mNote;

SongLoad Load(const std::vector<std::uint8_t>& bytes) { return LoadSongFromMemory(bytes.data(), bytes.size()); }

const PatternCell& CellAt(const Song& song, int pattern, int row, int channel) {
    return song.patterns[pattern].cells[row * song.channelCount + channel];
}

// In an S3M of one order: the first instrument's pointer follows the 96-byte
// header and the order, in paragraphs of 16 bytes; the first pattern's, two later.
constexpr std::size_t kFirstInstrumentPointer = 97;
constexpr std::size_t kFirstPatternPointer = 99;

std::size_t FirstSampleHeader(const std::vector<std::uint8_t>& s3m) {
    return 16u * (s3m[kFirstInstrumentPointer] | s3m[kFirstInstrumentPointer + 1] << 8);
}

TEST(FormatProbe, EachFormatIsFoundByItsBytes) {
    EXPECT_STREQ(Load(WriteXm(test::ToneModule())).format, "XM");
    const test::ModModule mod = test::ModSongOf({});
    const std::vector<std::uint8_t> modBytes = test::WriteMod(mod);
    EXPECT_STREQ(Load(modBytes).format, "MOD");
    EXPECT_EQ(modBytes.size(), 1084 + 1024 + mod.samples[0].data.size()) << "the header's 1084 bytes, as the format has it";
    const SongLoad s3m = Load(test::WriteS3m(test::S3mSongOf({})));
    EXPECT_STREQ(s3m.format, "S3M");
    EXPECT_STREQ(s3m.song->song.tracker, "Scream Tracker 3.20");
    const SongLoad text = Load(std::vector<std::uint8_t>(2000, 'x'));
    EXPECT_EQ(text.result, LoadResult::NotAModule);
    EXPECT_EQ(text.format, nullptr);
}

// The builders and the loaders share one layout header per format, so a wrong
// offset there would go unseen by loading what the builders write: the bytes
// are checked here where the formats' own descriptions put them.
TEST(FormatProbe, TheBuildersWriteWhereTheFormatsSay) {
    test::S3mModule module = test::S3mSongOf({});
    module.panning = {0x20 | 0x7};
    module.samples[0].c2Speed = 0x12345;
    module.samples[0].volume = 40;
    module.samples[0].loopStart = 0x21;
    const std::vector<std::uint8_t> s3m = test::WriteS3m(module);
    const std::size_t sample = FirstSampleHeader(s3m);
    const struct {
        std::size_t at;
        std::uint8_t value;
        const char* what;
    } bytes[] = {
        {28, 0x1A, "end of the title"}, {29, 16, "module type"},  {40, 0x20, "version, low byte"},
        {44, 'S', "tag"},               {47, 'M', "tag's end"},   {53, 252, "a panning table follows"},
        {sample, 1, "instrument type"}, {sample + 28, 40, "volume"}, {sample + 31, 1, "flags: looped"},
        {sample + 32, 0x45, "C-4 speed, low byte"}, {sample + 34, 0x01, "C-4 speed, third byte"},
        {sample + 20, 0x21, "loop start"},         {sample + 24, 64, "loop end"},
    };
    for (const auto& b : bytes) EXPECT_EQ(s3m[b.at], b.value) << b.what;
    const std::vector<std::uint8_t> xm = WriteXm(test::ToneModule());
    EXPECT_EQ(xm[37], 0x1A) << "the XM name's end";
}

TEST(FormatProbe, ModTagsNameTheChannels) {
    const struct {
        const char* tag;
        int channels;
    } tags[] = {{"M.K.", 4}, {"M!K!", 4}, {"FLT4", 4}, {"4CHN", 4}, {"6CHN", 6}, {"8CHN", 8}, {"2CHN", 2},
                {"10CH", 10}, {"16CN", 16}, {"32CH", 32}, {"33CH", 0}, {"0CHN", 0}, {"09CH", 0}, {"M.K ", 0}};
    for (const auto& t : tags) {
        EXPECT_EQ(ModTagChannels(reinterpret_cast<const std::uint8_t*>(t.tag)), t.channels) << t.tag;
        if (t.channels == 0) continue;
        test::ModModule module = test::ModSongOf({}, t.channels);
        module.tag = t.tag;
        const SongLoad load = Load(test::WriteMod(module));
        ASSERT_TRUE(load.song) << t.tag;
        EXPECT_EQ(load.song->song.channelCount, t.channels);
    }
}

TEST(FormatProbe, OldModsWithoutATagAreTakenOnlyWhenEveryFieldFits) {
    test::ModModule old = test::ModSongOf({{0, {{428, 1}}}});
    old.tag.clear();
    const std::vector<std::uint8_t> bytes = test::WriteMod(old);
    const SongLoad load = Load(bytes);
    ASSERT_TRUE(load.song);
    EXPECT_STREQ(load.format, "MOD");
    EXPECT_TRUE(LooksLikeMod(bytes.data(), bytes.size(), static_cast<std::int64_t>(bytes.size())));
    EXPECT_EQ(load.song->song.instrumentCount, 15);
    EXPECT_EQ(CellAt(load.song->song, 0, 0, 0).note, 49);
    // One field out of its range and the bytes are no old MOD.
    for (const std::size_t at : {std::size_t{20 + 25}, std::size_t{472 + 5}, std::size_t{470}, std::size_t{3}}) {
        std::vector<std::uint8_t> broken = bytes;
        broken[at] = at == 3 ? 7 : 200;
        EXPECT_FALSE(LooksLikeMod(broken.data(), broken.size(), static_cast<std::int64_t>(broken.size()))) << at;
    }
    test::ModModule lowestFinetune = old;
    lowestFinetune.samples[0].finetune = 15;
    const std::vector<std::uint8_t> fineBytes = test::WriteMod(lowestFinetune);
    EXPECT_TRUE(LooksLikeMod(fineBytes.data(), fineBytes.size(), static_cast<std::int64_t>(fineBytes.size())));
    std::vector<std::uint8_t> longSample = bytes;
    longSample[20 + 22] = 0x80;  // the first sample's length: 64K words, more than the format holds
    EXPECT_FALSE(LooksLikeMod(longSample.data(), longSample.size(), static_cast<std::int64_t>(longSample.size())));
    // Every one of the 128 orders may be the song's.
    test::ModModule longest = old;
    longest.orders.assign(128, 0);
    const std::vector<std::uint8_t> longBytes = test::WriteMod(longest);
    EXPECT_TRUE(LooksLikeMod(longBytes.data(), longBytes.size(), static_cast<std::int64_t>(longBytes.size())));
    // Nor are bytes that end inside the pattern the orders name.
    const std::size_t patternsAt = 20 + 15 * 30 + 2 + 128;
    EXPECT_FALSE(LooksLikeMod(bytes.data(), patternsAt + 1000, static_cast<std::int64_t>(patternsAt + 1000)));
    std::mt19937 random(21);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> noise(600 + 1024 * (i % 3));
        for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
        EXPECT_FALSE(LooksLikeMod(noise.data(), noise.size(), static_cast<std::int64_t>(noise.size()))) << i;
    }
}

TEST(FormatProbe, EachFormatsLimitsNameTheFormat) {
    test::ModModule mod = test::ModSongOf({});
    mod.songLengthField = 0;
    SongLoad load = Load(test::WriteMod(mod));
    EXPECT_EQ(load.result, LoadResult::SongLength);
    EXPECT_STREQ(load.format, "MOD");
    test::S3mModule s3m = test::S3mSongOf({});
    s3m.orders = {255};
    load = Load(test::WriteS3m(s3m));
    EXPECT_EQ(load.result, LoadResult::SongLength);
    EXPECT_STREQ(load.format, "S3M");
    s3m = test::S3mSongOf({});
    s3m.channelSettings = {16, 0x80, 0xFF};
    EXPECT_EQ(Load(test::WriteS3m(s3m)).result, LoadResult::ChannelCount);
    s3m = test::S3mSongOf({});
    s3m.instrumentCountField = 256;
    EXPECT_EQ(Load(test::WriteS3m(s3m)).result, LoadResult::InstrumentCount);
    std::vector<std::uint8_t> longSample = test::WriteS3m(test::S3mSongOf({}));
    const std::size_t sample = FirstSampleHeader(longSample);
    longSample[sample + 16 + 2] = 0x40;  // a length of 2^22 frames
    EXPECT_EQ(Load(longSample).result, LoadResult::SampleLength);
}

TEST(ModLoader, SamplesPatternsAndNames) {
    test::ModModule module = test::ModSongOf(
        {{0, {{856, 2, 0x3, 0x10}, {113, 1}, {0, 31}}}, {62, {{0, 0, 0xD, 0x63}}}, {63, {{0, 0, 0xD, 0x99}}}});
    module.title = "a title of twenty ch";  // no 0 after it: the first sample's name follows
    module.samples = {test::ModSquare(600, false), test::ModSquare(64, true)};
    module.samples[0].name = "first  ";
    module.samples[0].finetune = 0xF;
    module.samples[0].volume = 80;
    module.samples[1].loopStart = 16;
    module.samples[1].loopLength = 32;
    module.orders = {1, 0};
    module.restart = 1;
    module.patterns.push_back(module.patterns[0]);
    const SongLoad load = Load(test::WriteMod(module));
    ASSERT_TRUE(load.song);
    const Song& song = load.song->song;
    EXPECT_STREQ(song.title, "a title of twenty ch");
    EXPECT_EQ(song.patternCount, 2);
    EXPECT_EQ(song.songLength, 2);
    EXPECT_EQ(song.restartPosition, 1);
    EXPECT_EQ(song.defaultTempo, 6);
    EXPECT_EQ(song.defaultBpm, 125);
    const SampleRecord& first = *song.instruments[0].samples[0];
    EXPECT_STREQ(first.name, "first");
    EXPECT_EQ(first.length, 600u) << "lengths in words past a byte";
    EXPECT_EQ(first.loopType, NoLoop);
    EXPECT_EQ(first.finetune, -16);
    EXPECT_EQ(first.volume, 64);
    EXPECT_EQ(first.data[0], 100 * 256);
    const SampleRecord& second = *song.instruments[1].samples[0];
    EXPECT_EQ(second.loopType, ForwardLoop);
    EXPECT_EQ(second.loopStart, 16u);
    EXPECT_EQ(second.loopLength, 32u);
    EXPECT_EQ(second.data[48], second.data[16]) << "the guard sample repeats the loop's start";
    EXPECT_EQ(CellAt(song, 0, 0, 0).note, 37);
    EXPECT_EQ(CellAt(song, 0, 0, 1).note, 72);
    EXPECT_EQ(CellAt(song, 0, 0, 0).instrument, 2);
    EXPECT_EQ(CellAt(song, 0, 0, 2).instrument, 31) << "the last of the 31";
    EXPECT_EQ(CellAt(song, 0, 62, 0).param, 0x63) << "a break to the last row stays";
    EXPECT_EQ(CellAt(song, 0, 63, 0).param, 0) << "a break to row 99 starts the next pattern at its top";

    // Orders past the song's length may name patterns the file does not hold:
    // the samples follow the patterns it does.
    module.orders = {0, 5};
    module.songLengthField = 1;
    module.patterns.pop_back();
    const SongLoad unused = Load(test::WriteMod(module));
    ASSERT_TRUE(unused.song);
    EXPECT_EQ(unused.song->song.patternCount, 1);
    EXPECT_EQ(unused.song->song.instruments[0].samples[0]->data[0], first.data[0]);
    EXPECT_EQ(unused.song->song.warnings & kSongTruncated, 0u);
}

// The first trackers counted the loop start in bytes, not words: a loop
// that overruns the sample is read that way only when it then fits.
TEST(ModLoader, ALoopStartIsHalvedOnlyWhenThatMakesTheLoopFit) {
    const struct {
        std::uint32_t start, length;
        LoopType type;
        std::uint32_t loopStart, loopLength;
    } cases[] = {
        {16, 32, ForwardLoop, 16, 32},  // fits as it is
        {60, 32, ForwardLoop, 30, 32},  // fits halved
        {100, 20, NoLoop, 0, 64},       // fits neither way: past the end, no loop
        {50, 40, ForwardLoop, 50, 14},  // neither: cut at the end
    };
    for (const auto& c : cases) {
        test::ModModule module = test::ModSongOf({});
        module.samples = {test::ModSquare(64, true)};
        module.samples[0].loopStart = c.start;
        module.samples[0].loopLength = c.length;
        const SongLoad load = Load(test::WriteMod(module));
        ASSERT_TRUE(load.song);
        const SampleRecord& sample = *load.song->song.instruments[0].samples[0];
        EXPECT_EQ(sample.loopType, c.type) << c.start << "+" << c.length;
        EXPECT_EQ(sample.loopStart, c.loopStart) << c.start << "+" << c.length;
        EXPECT_EQ(sample.loopLength, c.loopLength) << c.start << "+" << c.length;
    }
}

TEST(ModLoader, ShortFileLoadsWithAWarning) {
    test::ModModule module = test::ModSongOf({});
    module.samples = {test::ModSquare(2000, false)};
    module.cutAt = 1084 + 1024 + 100;
    const SongLoad load = Load(test::WriteMod(module));
    ASSERT_TRUE(load.song);
    EXPECT_NE(load.song->song.warnings & kSongTruncated, 0u);
    EXPECT_EQ(load.song->song.instruments[0].samples[0]->data[150], 0);
}

TEST(S3mLoader, EffectLettersBecomeTheEnginesEffects) {
    const struct {
        char letter;
        std::uint8_t param;
        std::uint8_t effect;
        std::uint8_t expected;
        std::uint8_t volume;
    } cases[] = {
        {'A', 0x05, effect::kSetSpeed, 0x05, 0},         {'A', 0x40, effect::kSetSpeed, 0x40, 0},
        {'T', 0x90, effect::kSpeedTempo, 0x90, 0},       {'T', 0x10, 0, 0, 0},
        {'D', 0x00, 0, 0, 0} /* nothing remembered yet */, {'D', 0x30, effect::kVolumeSlide, 0x30, 0},      {'D', 0x03, effect::kVolumeSlide, 0x03, 0},
        {'D', 0x3F, effect::kExtended, 0xA3, 0},         {'D', 0xF3, effect::kExtended, 0xB3, 0},
        {'E', 0x12, effect::kPortamentoDown, 0x12, 0},   {'E', 0xF2, effect::kExtended, 0x22, 0},
        {'E', 0xE2, effect::kExtraFinePortamento, 0x22, 0}, {'F', 0xF3, effect::kExtended, 0x13, 0},
        {'F', 0xE3, effect::kExtraFinePortamento, 0x13, 0}, {'G', 0x20, effect::kTonePortamento, 0x20, 0},
        {'I', 0x21, effect::kTremor, 0x21, 0},           {'J', 0x47, effect::kArpeggio, 0x47, 0},
        {'K', 0x05, effect::kVibratoVolumeSlide, 0x05, 0}, {'K', 0x2F, effect::kVibrato, 0, 0x92},
        {'L', 0xF1, effect::kTonePortamento, 0, 0x81},   {'O', 0x08, effect::kSampleOffset, 0x08, 0},
        {'Q', 0x43, effect::kMultiRetrig, 0x43, 0},      {'R', 0x44, effect::kTremolo, 0x44, 0},
        {'S', 0xB2, effect::kExtended, 0x62, 0},         {'S', 0x2F, effect::kExtended, 0x57, 0},
        {'S', 0xC0, 0, 0, 0},                            {'S', 0xE3, effect::kExtended, 0xE3, 0},
        {'U', 0x48, effect::kVibrato, 0x42, 0},
        {'U', 0x41, effect::kVibrato, 0x41, 0},
        {'V', 0x50, effect::kSetGlobalVolume, 0x40, 0},  {'X', 0x40, effect::kSetPanning, 0x80, 0},
        {'X', 0xA4, effect::kSetPanning, 0x80, 0},       {'C', 0x70, effect::kPatternBreak, 0, 0},
        {'Z', 0x10, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const SongLoad load = Load(test::WriteS3m(test::S3mSongOf({{0, {S3mEffect(c.letter, c.param)}}})));
        ASSERT_TRUE(load.song);
        const PatternCell& cell = CellAt(load.song->song, 0, 0, 0);
        EXPECT_EQ(cell.effect, c.effect) << c.letter << std::hex << int(c.param);
        EXPECT_EQ(cell.param, c.expected) << c.letter << std::hex << int(c.param);
        EXPECT_EQ(cell.volume, c.volume) << c.letter << std::hex << int(c.param);
    }
}

TEST(S3mLoader, NoteCutBecomesAVolumeOfZeroBesideTheCellsEffect) {
    const SongLoad load =
        Load(test::WriteS3m(test::S3mSongOf({{0, {S3mNote(254, 0), S3mNote(254, 0, -1, 'A', 0x03)}}})));
    ASSERT_TRUE(load.song);
    const PatternCell& alone = CellAt(load.song->song, 0, 0, 0);
    EXPECT_EQ(alone.note, 0);
    EXPECT_EQ(alone.effect, effect::kSetVolume);
    EXPECT_EQ(alone.param, 0);
    const PatternCell& withEffect = CellAt(load.song->song, 0, 0, 1);
    EXPECT_EQ(withEffect.note, 0);
    EXPECT_EQ(withEffect.effect, effect::kSetSpeed);
    EXPECT_EQ(withEffect.volume, volume_column::kFirstSetVolume);
}

// Orders reach only patterns 0 to 253 (254 and 255 are markers), but every
// pattern the header counts is read, for the tool to show.
TEST(S3mLoader, TheLastOfTheMostPatternsIsRead) {
    test::S3mModule module = test::S3mSongOf({});
    module.patterns.resize(256, module.patterns[0]);
    module.patterns[255] = test::S3mPatternOf({{0, {S3mNote(0x4B, 1)}}});
    const SongLoad load = Load(test::WriteS3m(module));
    ASSERT_TRUE(load.song);
    EXPECT_EQ(load.song->song.patternCount, 256);
    EXPECT_EQ(CellAt(load.song->song, 255, 0, 0).note, 12 * 4 + 11 + 1);
}

TEST(S3mLoader, AnInstrumentOrPatternWithoutAPointerIsLeftEmpty) {
    const std::vector<std::uint8_t> whole = test::WriteS3m(test::S3mSongOf({{0, {S3mNote(0x4B, 1)}}}));
    ASSERT_TRUE(Load(whole).song);
    EXPECT_EQ(CellAt(Load(whole).song->song, 0, 0, 0).note, 12 * 4 + 11 + 1) << "B-4, the octave's last note";
    std::vector<std::uint8_t> bytes = whole;
    bytes[kFirstInstrumentPointer] = bytes[kFirstInstrumentPointer + 1] = 0;
    bytes[kFirstPatternPointer] = bytes[kFirstPatternPointer + 1] = 0;
    const SongLoad load = Load(bytes);
    ASSERT_TRUE(load.song);
    EXPECT_STREQ(load.song->song.instruments[0].name, "");
    EXPECT_EQ(load.song->song.warnings, 0u) << "nothing read in their place";
    for (int row = 0; row < 64; ++row) {
        for (int channel = 0; channel < load.song->song.channelCount; ++channel) {
            const PatternCell& cell = CellAt(load.song->song, 0, row, channel);
            EXPECT_EQ(cell.note | cell.instrument | cell.volume | cell.effect | cell.param, 0) << row << ' ' << channel;
        }
    }
}

TEST(S3mLoader, OrdersSkipMarkersAndJumpsFollowThem) {
    test::S3mModule module = test::S3mSongOf({{0, {S3mEffect('B', 3)}}});
    module.patterns.push_back(module.patterns[0]);
    module.orders = {0, 254, 1, 0, 255, 1};
    const SongLoad load = Load(test::WriteS3m(module));
    ASSERT_TRUE(load.song);
    const Song& song = load.song->song;
    ASSERT_EQ(song.songLength, 3);
    EXPECT_EQ(song.orderTable[1], 1);
    EXPECT_EQ(CellAt(song, 0, 0, 0).param, 2) << "order 3 of the file is the song's third";
}

TEST(S3mLoader, SampleIsCutWhereTheFileEnds) {
    std::vector<std::uint8_t> bytes = test::WriteS3m(test::S3mSongOf({}));  // the 64-frame sample comes last
    bytes.resize(bytes.size() - 24);
    const SongLoad load = Load(bytes);
    ASSERT_TRUE(load.song);
    const SampleRecord& sample = *load.song->song.instruments[0].samples[0];
    EXPECT_EQ(sample.length, 40u);
    EXPECT_EQ(sample.loopLength, 40u);
    EXPECT_NE(load.song->song.warnings & kSongTruncated, 0u);
}

TEST(S3mLoader, SampleFormatsAndC4Speed) {
    test::S3mModule module = test::S3mSongOf({});
    module.samples[0] = test::S3mSquare(4097);  // read in 4096-byte chunks: the last one holds one frame
    module.samples.push_back(test::S3mSquare(32, true));
    module.samples[1].c2Speed = 8363 * 3 / 2;
    module.samples[1].name = "a name of all its 28 letters";
    for (const std::uint8_t format : {1, 2}) {
        module.sampleFormat = format;
        const SongLoad load = Load(test::WriteS3m(module));
        ASSERT_TRUE(load.song);
        const SampleRecord& eight = *load.song->song.instruments[0].samples[0];
        const SampleRecord& sixteen = *load.song->song.instruments[1].samples[0];
        EXPECT_EQ(eight.data[0], 100 * 256) << int(format);
        EXPECT_EQ(eight.data[8], -100 * 256) << int(format);
        EXPECT_EQ(eight.data[4096], 100 * 256) << int(format);
        EXPECT_EQ(sixteen.data[0], 100 * 256) << int(format);
        EXPECT_EQ(sixteen.data[8], -100 * 256) << int(format);
        EXPECT_EQ(sixteen.data[31], -100 * 256) << int(format);
        EXPECT_EQ(sixteen.c2Speed, 8363u * 3 / 2);
        EXPECT_EQ(sixteen.relativeNote, 7) << "a fifth up";
        EXPECT_STREQ(sixteen.name, "a name of all its 28 letters");
    }
}

}  // namespace
}  // namespace zumbrik
