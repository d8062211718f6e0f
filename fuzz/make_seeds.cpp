// Writes the fuzzers' seed modules, made with the tests' module builders, into a
// folder: one small XM per effect code (0-Z, each Exy and X1y/X2y), per
// volume-column command and per instrument feature, one MOD per effect and
// layout and one S3M per effect letter and header feature, so that mutation
// starts from every path of each loader and of the row, tick and mixing code
// instead of finding each.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/tracker_builders.h"
#include "tests/support/xm_builder.h"

using namespace zumbrik;
using namespace zumbrik::test;

namespace {

using Seeds = std::vector<std::pair<std::string, XmModule>>;
using FileSeeds = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

// Two channels, two orders of small patterns: a note with the effect, the
// effect again without parameter (its memory), a second parameter, a new
// note under it and a key-off, the second channel holding a plain note.
XmModule EffectModule(std::uint8_t effect, std::uint8_t param, std::uint8_t volume = 0) {
    XmModule module = BusyModule();
    module.channels = 2;
    module.orders = {0, 1};
    const std::uint8_t second = static_cast<std::uint8_t>((param & 0xF0) | ((param + 5) & 0x0F));
    XmPattern pattern = PatternOf(8, 2, {{0, {Cell(49, 1, volume, effect, param), Cell(37, 2)}},
                                         {1, {Cell(0, 0, volume, effect, 0), Cell(0, 0, 0x40)}},
                                         {2, {Cell(0, 0, volume, effect, second), {}}},
                                         {3, {Cell(61, 2, volume, effect, param), Cell(97)}},
                                         {5, {Cell(97, 0, 0, effect, param), {}}},
                                         {6, {Cell(25, 1, volume), Cell(0, 0, 0, effect, second)}}});
    module.patterns = {pattern, PatternOf(4, 2, {{0, {Cell(50, 1, 0, effect, param), Cell(97)}}})};
    return module;
}

void AddEffects(Seeds& seeds) {
    for (unsigned effect = 0; effect < 36; ++effect) {
        if (effect == 0x0E) continue;  // one seed per sub-code below
        const auto code = static_cast<std::uint8_t>(effect);
        seeds.emplace_back("effect_" + Hex(effect), EffectModule(code, 0x37));
        seeds.emplace_back("effect_" + Hex(effect) + "_high", EffectModule(code, 0xF2));
    }
    for (unsigned sub = 0; sub < 16; ++sub) {
        seeds.emplace_back("effect_E" + Hex(sub), EffectModule(0x0E, static_cast<std::uint8_t>(sub << 4 | 3)));
    }
    seeds.emplace_back("effect_X1", EffectModule(0x21, 0x13));
    seeds.emplace_back("effect_X2", EffectModule(0x21, 0x24));
    // The volume column: set volume, then each command by its high nibble.
    seeds.emplace_back("volume_set", EffectModule(0, 0, 0x30));
    for (unsigned command = 0x6; command <= 0xF; ++command) {
        seeds.emplace_back("volume_" + Hex(command), EffectModule(0, 0, static_cast<std::uint8_t>(command << 4 | 6)));
    }
}

XmModule WithInstrument(XmInstrument instrument) {
    XmModule module = EffectModule(0x04, 0x46);
    module.instruments = {instrument, instrument};
    return module;
}

void AddInstrumentFeatures(Seeds& seeds) {
    const XmInstrument base = EnvelopedInstrument({VariedSample(false, 1, 64)});
    for (std::uint8_t type = 0; type < 4; ++type) {
        XmInstrument instrument = base;
        instrument.vibratoType = type;
        instrument.vibratoSweep = static_cast<std::uint8_t>(type * 40);
        seeds.emplace_back("auto_vibrato_" + Hex(type), WithInstrument(instrument));
    }
    const std::vector<XmEnvelopePoint> twelve = {{0, 64}, {2, 0},  {4, 64}, {8, 10}, {9, 60},  {12, 30},
                                                 {15, 5}, {20, 50}, {22, 64}, {30, 0}, {31, 40}, {40, 20}};
    for (std::uint8_t type = 1; type < 8; ++type) {
        XmInstrument instrument = base;
        instrument.volumeEnvelope = Envelope(twelve, type, 3, 2, 9);
        instrument.panningEnvelope = Envelope({{0, 0}, {5, 64}, {10, 32}, {15, 0}}, type, 1, 0, 3);
        seeds.emplace_back("envelopes_" + Hex(type), WithInstrument(instrument));
    }
    // One instrument of sixteen samples of every kind, spread over the keymap.
    std::vector<XmSample> samples;
    for (int s = 0; s < 16; ++s) {
        XmSample sample = VariedSample(s % 2 == 1, static_cast<std::uint8_t>(s % 4), 8 + 5 * s);
        sample.packed4Bit = s % 8 == 4;
        sample.relativeNote = static_cast<std::int8_t>(s * 7 - 48);
        sample.finetune = static_cast<std::int8_t>(s * 16 - 128);
        sample.panning = static_cast<std::uint8_t>(s * 17);
        samples.push_back(sample);
    }
    seeds.emplace_back("keymap_16_samples", WithInstrument(EnvelopedInstrument(samples)));
    const struct {
        const char* name;
        bool is16Bit;
        std::uint8_t loopType;
        bool packed;
    } kinds[] = {{"8bit_none", false, 0, false},     {"8bit_forward", false, 1, false},
                 {"8bit_pingpong", false, 2, false}, {"8bit_loop3", false, 3, false},
                 {"16bit_none", true, 0, false},     {"16bit_forward", true, 1, false},
                 {"16bit_pingpong", true, 2, false}, {"packed_forward", false, 1, true},
                 {"packed_pingpong", false, 2, true}};
    for (const auto& kind : kinds) {
        XmSample sample = VariedSample(kind.is16Bit, kind.loopType, 33);
        sample.packed4Bit = kind.packed;
        seeds.emplace_back(std::string("sample_") + kind.name, WithInstrument(Instrument({sample})));
    }
}

void AddSongShapes(Seeds& seeds) {
    seeds.emplace_back("basic", BusyModule());
    XmModule unpacked = BusyModule();
    unpacked.patterns[0].encoding = XmPatternEncoding::Unpacked;
    unpacked.patterns[1].encoding = XmPatternEncoding::NoData;
    unpacked.flags = 0;  // the Amiga frequency table
    seeds.emplace_back("unpacked_amiga", unpacked);
    XmModule missing = BusyModule();
    missing.orders = {0, 9, 1};
    missing.headerSize = 200;
    seeds.emplace_back("missing_pattern_short_header", missing);
    XmModule odd = BusyModule();
    XmInstrument empty;
    empty.headerSize = 29;
    odd.instruments.insert(odd.instruments.begin(), empty);
    odd.instruments[1].headerSize = 220;
    odd.instruments[2].sampleHeaderSize = 18;
    seeds.emplace_back("odd_instrument_headers", odd);
    XmModule tiny = BusyModule();
    tiny.channels = 1;
    tiny.patterns = {BusyPattern(1, 1, 0)};
    tiny.orders = {0};
    tiny.tempo = 1;
    tiny.bpm = 255;
    seeds.emplace_back("tiny", tiny);
    XmModule wide = BusyModule();
    wide.channels = 12;
    wide.patterns = {BusyPattern(64, 12, 2)};
    wide.orders = {0, 0};
    wide.restartPosition = 1;
    seeds.emplace_back("wide", wide);
}

// MOD: a note with the effect and its repeat without parameter on each
// channel layout, the old layout without a tag, and odd sample headers.
void AddModSeeds(FileSeeds& seeds) {
    for (unsigned code = 0; code < 16; ++code) {
        const auto e = static_cast<std::uint8_t>(code);
        const std::uint8_t param = code == 0xE ? 0x93 : 0x37;
        test::ModModule module = test::ModSongOf({{0, {{428, 1, e, param}, {214, 2}}}, {1, {{0, 0, e, 0}}},
                                                  {2, {{856, 1, e, 0xF2}, {0, 0, 0xE, static_cast<std::uint8_t>(code << 4 | 2)}}}});
        module.samples.push_back(test::ModSquare(48, false));
        seeds.emplace_back("mod_effect_" + Hex(code) + ".mod", test::WriteMod(module));
    }
    for (const char* tag : {"6CHN", "8CHN", "16CH", "32CN", "FLT4"}) {
        const int channels = tag[0] == 'F' ? 4 : std::atoi(tag);
        test::ModModule module = test::ModSongOf({{0, {{428, 1, 0xA, 0x04}, {0, 0}, {300, 1}}}}, channels);
        module.tag = tag;
        module.orders = {0, 1, 0};
        module.patterns.push_back(module.patterns[0]);
        seeds.emplace_back(std::string("mod_") + tag + ".mod", test::WriteMod(module));
    }
    test::ModModule old = test::ModSongOf({{0, {{428, 1, 0xC, 0x20}}}});
    old.tag.clear();
    seeds.emplace_back("mod_old_15_samples.mod", test::WriteMod(old));
    test::ModModule odd = test::ModSongOf({{0, {{428, 1, 0x9, 0x80}}}});
    odd.samples[0].loopStart = 200;  // counted in bytes, as the first trackers did
    odd.samples[0].loopLength = 20;
    odd.samples[0].finetune = 0x9;
    odd.cutAt = 1084 + 1024 + 10;
    seeds.emplace_back("mod_odd_samples.mod", test::WriteMod(odd));
}

// S3M: each effect letter with its repeat from the shared memory, each
// S-command, and the header's features.
void AddS3mSeeds(FileSeeds& seeds) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::uint8_t param = letter == 'S' ? 0x00 : 0x23;
        test::S3mModule module = test::S3mSongOf({{0, {test::S3mNote(0x40, 1, 30, letter, param), test::S3mNote(0x52, 2)}},
                                                  {1, {test::S3mEffect(letter, 0)}},
                                                  {2, {test::S3mNote(254, 0, -1, letter, 0xF3), test::S3mEffect(letter, 0xE2)}}});
        module.samples.push_back(test::S3mSquare(40, true));
        seeds.emplace_back(std::string("s3m_effect_") + letter + ".s3m", test::WriteS3m(module));
    }
    for (unsigned sub = 0; sub < 16; ++sub) {
        const auto param = static_cast<std::uint8_t>(sub << 4 | 3);
        seeds.emplace_back("s3m_effect_S" + Hex(sub) + ".s3m",
                           test::WriteS3m(test::S3mSongOf({{0, {test::S3mNote(0x40, 1, -1, 'S', param)}}})));
    }
    test::S3mModule features = test::S3mSongOf({{0, {test::S3mNote(0x40, 1), test::S3mNote(0x40, 2)}}});
    features.samples.push_back(test::S3mSquare());
    features.samples[1].type = 2;  // synthesised
    features.panning = {0x21, 0x2E, 0x00, 0x28};
    features.flags = 0x50;
    features.orders = {0, 254, 0, 255, 0};
    features.sampleFormat = 1;
    features.masterVolume = 0x30;
    seeds.emplace_back("s3m_features.s3m", test::WriteS3m(features));
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written) std::fprintf(stderr, "xm_fuzz_seeds: cannot write %s\n", path.c_str());
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xm_fuzz_seeds DIR\n");
        return 2;
    }
    Seeds seeds;
    AddSongShapes(seeds);
    AddEffects(seeds);
    AddInstrumentFeatures(seeds);
    FileSeeds files;
    for (const auto& [name, module] : seeds) files.emplace_back(name + ".xm", WriteXm(module));
    AddModSeeds(files);
    AddS3mSeeds(files);
    for (const auto& [name, bytes] : files) {
        if (!WriteFile(std::string(argv[1]) + "/" + name, bytes)) return 1;
    }
    return 0;
}
