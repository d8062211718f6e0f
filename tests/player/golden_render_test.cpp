// Golden renders: small modules, each aimed at one family of rules, rendered
// one pass through the offline play and compared with the digests in
// golden_renders.txt. Any change of a single rendered sample fails here with
// the case and the 64-frame block where the render first departs. An intended
// change of sound is re-blessed with scripts/bless-golden.sh.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/player/song_stepper.h"
#include "player/mixer/cpu_dispatch.h"
#include "player/formats/song_loader.h"
#include "player/mixer/mix_buffer.h"
#include "player/play/offline_play.h"

namespace zumbrik {
namespace {

using test::Cell;
using test::Effect;
using test::Envelope;
using test::Instrument;
using test::Saw;
using Rows = std::vector<std::pair<int, std::vector<XmCell>>>;

constexpr std::uint8_t kC4 = 49;
constexpr std::uint8_t kKeyOff = 97;
constexpr std::uint32_t kBlockFrames = 64;
constexpr std::uint64_t kFrameLimit = 40000;

// One pass of the song at a rate, at most kFrameLimit frames, as interleaved samples.
std::vector<std::int16_t> Render(const XmModule& module, std::uint32_t rate = 48000) {
    const std::vector<std::uint8_t> bytes = WriteXm(module);
    const SongLoad load = LoadSongFromMemory(bytes.data(), bytes.size());
    if (!load.song) return {};
    OfflinePlay play(load.song);
    EXPECT_TRUE(play.SetRate(rate));
    std::vector<std::int16_t> samples(2 * kFrameLimit);
    samples.resize(2 * play.Render(samples.data(), kFrameLimit));
    return samples;
}

// FNV-1a 64 over the samples as little-endian bytes: the same on every platform.
std::uint64_t Fnv1a(const std::int16_t* samples, std::size_t count) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::uint16_t>(samples[i]);
        for (const std::uint8_t byte : {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)}) {
            hash = (hash ^ byte) * 0x100000001B3ull;
        }
    }
    return hash;
}

struct Digest {
    std::uint64_t frames = 0;
    std::uint64_t whole = 0;
    std::vector<std::uint32_t> blocks;  // FNV-1a 64 of each 64-frame block, folded to 32 bits
    bool operator==(const Digest&) const = default;
};

Digest DigestOf(const std::vector<std::int16_t>& samples) {
    Digest digest;
    digest.frames = samples.size() / 2;
    digest.whole = Fnv1a(samples.data(), samples.size());
    for (std::size_t first = 0; first < samples.size(); first += 2 * kBlockFrames) {
        const std::size_t count = std::min<std::size_t>(2 * kBlockFrames, samples.size() - first);
        const std::uint64_t h = Fnv1a(samples.data() + first, count);
        digest.blocks.push_back(static_cast<std::uint32_t>(h ^ (h >> 32)));
    }
    return digest;
}

// --- the module builder -------------------------------------------------------

// One pattern of `rows` rows at speed 3 and 480 frames a tick, instrument 1 a saw.
XmModule Song(Rows rows, std::uint16_t channels = 1, std::uint16_t patternRows = 8, std::uint16_t speed = 3) {
    XmModule module;
    module.channels = channels;
    module.tempo = speed;
    module.bpm = 250;
    module.instruments = {Instrument({Saw()})};
    module.patterns = {test::PatternOf(patternRows, channels, std::move(rows))};
    return module;
}

XmModule Amiga(XmModule module) {
    module.flags = 0;
    return module;
}

// --- the cases ----------------------------------------------------------------

struct GoldenCase {
    std::string name;
    XmModule module;
    std::uint32_t rate = 48000;
};

// Each effect and the volume column.
void AddEffectCases(std::vector<GoldenCase>& cases) {
    cases.push_back({"volume_column_levels_and_slides",
                     Song({{0, {Cell(kC4, 1, 0x30)}}, {1, {Cell(0, 0, 0x62)}}, {2, {Cell(0, 0, 0x74)}},
                           {3, {Cell(0, 0, 0x85)}}, {4, {Cell(0, 0, 0x93)}}, {5, {Cell(0, 0, 0x50)}},
                           {6, {Cell(0, 0, 0x6F)}}, {7, {Cell(0, 0, 0x10)}}})});
    cases.push_back({"volume_column_vibrato_panning_porta",
                     Song({{0, {Cell(kC4, 1, 0xA6)}}, {1, {Cell(0, 0, 0xB8)}}, {2, {Cell(0, 0, 0xB3)}},
                           {3, {Cell(0, 0, 0xC2)}}, {4, {Cell(0, 0, 0xD3)}}, {5, {Cell(0, 0, 0xE5)}},
                           {6, {Cell(kC4 + 7, 0, 0xF8)}}, {7, {Cell(kC4 + 3, 0, 0xF0)}}},
                          1, 9, 4)});
    // A portamento on the row takes back on each tick what the volume column's vibrato moved.
    cases.push_back({"volume_column_vibrato_under_portamento",
                     Song({{0, {Cell(kC4, 1, 0xA8, 0x1, 0x02)}}, {1, {Cell(0, 0, 0xB8, 0x1, 0x02)}},
                           {2, {Cell(0, 0, 0xB8, 0x2, 0x04)}}, {3, {Cell(0, 0, 0xB8)}}},
                          1, 4)});
    // A sample that ends inside its own ramp, struck again on the voice it left.
    XmModule shortHits = Song({{0, {Cell(kC4 + 12, 1)}}, {1, {Cell(kC4 + 12, 1)}}, {2, {Cell(kC4 + 12, 1, 0x30)}},
                               {3, {Cell(kC4, 1)}}},
                              1, 4);
    shortHits.instruments = {Instrument({Saw(32, 0)})};
    cases.push_back({"samples_ending_inside_their_ramp", shortHits});
    // Panning slides that run into both edges and stay there.
    Rows edges{{0, {Cell(kC4, 1, 0, 0x19, 0xF0)}}};
    for (int row = 1; row < 12; ++row) edges.push_back({row, {Effect(0x19, row < 5 ? 0xF0 : 0x0F)}});
    cases.push_back({"panning_slides_into_both_edges", Song(edges, 1, 12)});
    cases.push_back({"panning_slide_one_short_of_the_edge",
                     Song({{0, {Cell(kC4, 1, 0, 0x8, 0xF8)}}, {1, {Effect(0x19, 0x60)}}}, 1, 2)});
    const Rows arpeggio{{0, {Cell(kC4, 1, 0, 0x0, 0x37)}}, {1, {Effect(0x0, 0x47)}}, {2, {Effect(0x0, 0xC0)}},
                        {3, {Effect(0x0, 0x0C)}}};
    cases.push_back({"arpeggio_linear", Song(arpeggio, 1, 5, 4)});
    XmModule amigaArpeggio = Amiga(Song(arpeggio, 1, 5, 4));
    amigaArpeggio.instruments[0].samples[0].finetune = -40;
    cases.push_back({"arpeggio_amiga_with_finetune", amigaArpeggio});
    const Rows portas{{0, {Cell(kC4, 1, 0, 0x1, 0x08)}}, {1, {Effect(0x1, 0x00)}}, {2, {Effect(0x2, 0x10)}},
                      {3, {Effect(0x2, 0x00)}}, {4, {Effect(0xE, 0x13)}}, {5, {Effect(0xE, 0x10)}},
                      {6, {Effect(0xE, 0x25)}}, {7, {Effect(0xE, 0x20)}}, {8, {Effect(0x21, 0x1C)}},
                      {9, {Effect(0x21, 0x10)}}, {10, {Effect(0x21, 0x27)}}, {11, {Effect(0x21, 0x20)}},
                      {12, {Effect(0x1, 0xFF)}}, {13, {Effect(0x1, 0xFF)}}, {14, {Effect(0x1, 0xFF)}},
                      {15, {Effect(0x4, 0x8F)}}};  // from period 1 the vibrato dips to the floor frequency
    cases.push_back({"porta_fine_extra_fine_linear", Song(portas, 1, 16)});
    cases.push_back({"porta_fine_extra_fine_amiga", Amiga(Song(portas, 1, 16))});
    XmModule tone = Song({{0, {Cell(kC4, 1)}}, {1, {Cell(kC4 + 12, 0, 0, 0x3, 0x20)}}, {2, {Cell(0, 0, 0x20, 0x3, 0)}},
                          {3, {Cell(kC4 - 5, 2, 0, 0x3, 0x40)}}, {4, {Effect(0x5, 0x02)}}, {5, {Effect(0x5, 0x00)}},
                          {6, {Cell(kC4, 0, 0, 0x5, 0x30)}}});
    XmSample quiet = Saw(48);
    quiet.volume = 40;
    tone.instruments.push_back(Instrument({quiet}));
    cases.push_back({"tone_portamento_and_instrument_reset", tone});
    cases.push_back({"vibrato_waveforms_and_retrigger",
                     Song({{0, {Cell(kC4, 1, 0, 0x4, 0x48)}}, {1, {Effect(0x4, 0x00)}},
                           {2, {Cell(kC4, 1, 0xB6, 0xE, 0x41)}}, {3, {Effect(0x4, 0x00)}},
                           {4, {Cell(kC4, 1, 0xB6, 0xE, 0x42)}}, {5, {Effect(0x4, 0x3C)}},
                           {6, {Cell(kC4, 1, 0xB6, 0xE, 0x45)}}, {7, {Cell(kC4, 1, 0xB6)}},
                           {8, {Effect(0x6, 0x02)}}, {9, {Effect(0x6, 0x20)}}},
                          1, 10, 4)});
    cases.push_back({"tremolo_waveforms_and_kept_offset",
                     Song({{0, {Cell(kC4, 1, 0, 0x7, 0x4F)}}, {1, {Effect(0x7, 0x00)}},
                           {2, {Cell(kC4, 1, 0, 0xE, 0x71)}}, {3, {Effect(0x7, 0x00)}},
                           {4, {Cell(kC4, 1, 0, 0xE, 0x72)}}, {5, {Effect(0x7, 0x83)}},
                           {6, {Cell(kC4, 1, 0, 0xE, 0x74)}}, {7, {Cell(kC4, 1, 0, 0x7, 0x00)}},
                           {8, {Effect(0x7, 0x00)}}, {9, {Cell(0, 0, 0, 0x0, 0x00)}},
                           {10, {Cell(0, 0, 0, 0xE, 0x4F)}},  // wave control 0x4F: the tremolo keeps its place
                           {11, {Cell(kC4, 1, 0, 0x7, 0x00)}}, {12, {Effect(0x7, 0x00)}}},
                          1, 13, 4)});
    cases.push_back({"panning_set_fine_and_slides",
                     Song({{0, {Cell(kC4, 1, 0, 0x8, 0x00), Cell(kC4 + 4, 1, 0, 0x8, 0xFF), Cell(kC4 + 2, 1, 0, 0x8, 0x0B)}},
                           {1, {Effect(0xE, 0x84), Effect(0xE, 0x8F), Effect(0x19, 0x05)}},  // 11 to exactly 1
                           {2, {Effect(0x19, 0x30), Effect(0x19, 0x05), Effect(0x19, 0x05)}},  // and past 0
                           {3, {Effect(0x19, 0x00), Effect(0x19, 0xF0), Effect(0x8, 0x01)}},
                           {4, {Effect(0x8, 0xF8), Effect(0x19, 0x0F), Effect(0x19, 0x40)}},
                           {5, {Effect(0x19, 0x20), Cell(0, 0, 0xC3), {}}}},
                          3, 6)});
    cases.push_back({"volume_slides_and_global_volume",
                     Song({{0, {Cell(kC4, 1, 0, 0xC, 0x30), Cell(kC4 + 3, 1)}},
                           {1, {Effect(0xA, 0x20), {}}}, {2, {Effect(0xA, 0x00), {}}},
                           {3, {Effect(0xA, 0x03), Effect(0xC, 0x50)}}, {4, {Effect(0xE, 0xA4), {}}},
                           {5, {Effect(0xE, 0xB8), {}}}, {6, {Effect(0xE, 0xA0), Effect(0x10, 0x20)}},
                           {7, {{}, Effect(0x11, 0x10)}}, {8, {{}, Effect(0x11, 0x03)}},
                           {9, {{}, Effect(0x11, 0x00)}}, {10, {{}, Effect(0x10, 0x50)}}},
                          2, 11)});
    XmModule offsets = Song({{0, {Cell(kC4, 1, 0, 0x9, 0x02)}}, {1, {Cell(kC4, 0, 0, 0x9, 0x00)}},
                             {2, {Cell(kC4, 0, 0, 0x9, 0x04)}}, {3, {Cell(kC4, 0, 0, 0x9, 0x03)}},
                             {4, {Effect(0x9, 0x01)}}, {5, {Cell(kC4)}}, {6, {Cell(kC4, 0, 0, 0x9, 0x05)}},
                             {7, {Cell(kC4)}}});
    offsets.instruments[0].samples[0] = Saw(1024);  // the loop ends at 1024: 9 04 is exactly the loop end
    cases.push_back({"sample_offset_memory_and_loop_end", offsets});
    // A note without an offset, after one with: it starts at the sample's start.
    XmModule plainAfterOffset = Song({{0, {Cell(kC4, 1, 0, 0x9, 0x02)}}, {1, {Cell(kC4)}},
                                      {2, {Cell(kC4 + 7, 0, 0, 0x9, 0x03)}}, {3, {Cell(kC4 + 7)}}},
                                     1, 4);
    plainAfterOffset.instruments[0].samples[0] = Saw(1024, 0);
    cases.push_back({"plain_note_after_an_offset_note", plainAfterOffset});
    // Every volume code, rising and falling in turn, then memory and E9x.
    Rows retrigRows{{0, {Cell(kC4, 1, 0x30)}}};
    const std::uint8_t codes[] = {9, 1, 10, 2, 11, 3, 12, 4, 13, 5, 14, 6, 15, 7, 8};
    for (int k = 0; k < 15; ++k) {
        retrigRows.push_back({k + 1, {Effect(0x1B, static_cast<std::uint8_t>(codes[k] << 4 | (k % 2 + 1)))}});
    }
    retrigRows.push_back({16, {Effect(0x1B, 0x00)}});
    retrigRows.push_back({17, {Effect(0xE, 0x92)}});
    XmModule retrig = Song(retrigRows, 1, 18);
    retrig.instruments[0].samples[0] = Saw(600);  // retriggers show as jumps back to the start
    cases.push_back({"retrigger_volume_codes", retrig});
    cases.push_back({"tremor_on_off_counts",
                     Song({{0, {Cell(kC4, 1, 0, 0x1D, 0x21)}}, {1, {Effect(0x1D, 0x00)}}, {2, {Effect(0x1D, 0x13)}},
                           {3, {Effect(0x1D, 0x00)}}},
                          1, 4, 6)});
}

// Key-off, cut and delay; envelopes with sustain and loops; fade-out.
void AddEnvelopeCases(std::vector<GoldenCase>& cases) {
    XmInstrument enveloped = Instrument({Saw()});
    enveloped.volumeEnvelope = Envelope({{0, 64}, {4, 32}, {8, 48}, {20, 0}}, 3, 2);
    enveloped.fadeout = 0x800;
    XmInstrument plain = Instrument({Saw()});
    XmModule keyOffs = Song({{0, {Cell(kC4, 1), Cell(kC4, 1), Cell(kC4, 1), Cell(kC4, 2)}},
                             {3, {Effect(0x14, 0x00), Cell(kKeyOff), Cell(98), Cell(kKeyOff)}},
                             {5, {Cell(kC4, 1), Cell(kC4 + 2, 0), Cell(120, 1), Cell(kC4, 1)}},
                             {6, {Effect(0x14, 0x00), Cell(kKeyOff, 0, 0, 0x14, 0), {}, Effect(0x14, 0x00)}}},
                            4, 9);
    keyOffs.instruments = {enveloped, plain};
    cases.push_back({"key_off_by_effect_and_notes_with_fadeout", keyOffs});

    XmModule cutDelay = Song({{0, {Cell(kC4, 1), Cell(kC4, 2)}},
                              {1, {Effect(0xE, 0xC1), Cell(kKeyOff)}},
                              {2, {Cell(kC4, 1, 0, 0xE, 0xD2), Cell(kC4, 0, 0, 0xE, 0xD1)}},
                              {3, {Cell(kC4 + 5, 0, 0x20, 0xE, 0xD1), Cell(kC4, 2, 0, 0xE, 0xD2)}},
                              {4, {Cell(kKeyOff), {}}},
                              {6, {Cell(kC4, 0, 0, 0xE, 0xD2), Effect(0xE, 0xC0)}},
                              {7, {Cell(kC4, 0, 0, 0xE, 0xD5), {}}},
                              {8, {Cell(kC4 + 2, 0, 0xE8, 0xE, 0xD3), {}}}},
                             2, 10, 4);
    cutDelay.instruments = {enveloped, plain};
    cases.push_back({"note_cut_and_delay_with_envelopes", cutDelay});

    XmInstrument loopAfterSustain = Instrument({Saw()});
    loopAfterSustain.volumeEnvelope = Envelope({{0, 10}, {3, 64}, {6, 20}, {9, 50}, {30, 0}}, 7, 3, 1, 3);
    XmInstrument sustainInLoop = Instrument({Saw()});
    sustainInLoop.volumeEnvelope = Envelope({{0, 64}, {2, 16}, {5, 40}, {10, 0}}, 7, 1, 0, 2);
    sustainInLoop.fadeout = 0x1000;
    XmInstrument ending = Instrument({Saw()});
    ending.volumeEnvelope = Envelope({{0, 64}, {4, 8}}, 1);
    XmModule loops = Song({{0, {Cell(kC4, 1), Cell(kC4 + 7, 2), Cell(kC4 + 4, 3)}},
                           {5, {Effect(0x15, 0x05), {}, Effect(0x15, 0x02)}},  // the third restarts a finished envelope
                           {7, {Cell(kKeyOff), Cell(kKeyOff), {}}},
                           {9, {Effect(0x15, 0x1C), Cell(kC4, 0, 0, 0x15, 0x01), Effect(0x15, 0x00)}}},
                          3, 12);
    loops.instruments = {loopAfterSustain, sustainInLoop, ending};
    cases.push_back({"volume_envelope_loops_sustain_and_position", loops});

    XmInstrument panned = Instrument({Saw()});
    panned.panningEnvelope = Envelope({{0, 0}, {4, 64}, {8, 16}, {12, 48}, {16, 32}}, 7, 2, 1, 3);
    panned.volumeEnvelope = Envelope({{0, 64}, {200, 64}}, 1);  // the sound outlives the key-off
    XmModule panning = Song({{0, {Cell(kC4, 1), Cell(kC4, 1, 0, 0x8, 0xF0)}},
                             {6, {Cell(kKeyOff), Cell(kKeyOff)}}},
                            2, 10);
    panning.instruments = {panned};
    cases.push_back({"panning_envelope_near_centre_and_edge", panning});
}

// Auto-vibrato, multi-sample instruments, every loop kind and sample format.
void AddInstrumentCases(std::vector<GoldenCase>& cases) {
    XmModule autoVibrato = Song({{0, {Cell(kC4, 1), Cell(kC4, 2), Cell(kC4, 3), Cell(kC4, 4)}},
                                 {4, {Cell(kC4 + 12, 1), Cell(kC4 + 12), Cell(kC4 + 12, 3), Cell(kC4 + 12)}}},
                                4, 8);
    autoVibrato.instruments.clear();
    for (std::uint8_t type = 0; type < 4; ++type) {
        XmInstrument instrument = Instrument({Saw()});
        instrument.vibratoType = type;
        instrument.vibratoSweep = type == 0 ? 6 : 0;
        // Past 63 the square's lower half rounds apart from its upper one.
        instrument.vibratoDepth = static_cast<std::uint8_t>(type == 1 ? 70 : 10 + type);
        instrument.vibratoRate = static_cast<std::uint8_t>(23 + 9 * type);
        autoVibrato.instruments.push_back(instrument);
    }
    cases.push_back({"auto_vibrato_four_waveforms_and_sweep", autoVibrato});

    XmInstrument multi = Instrument({Saw(32), Saw(20, 2), Saw(40, 1, true)});
    for (std::size_t note = 0; note < 96; ++note) multi.keymap[note] = note < 40 ? 0 : note < 60 ? 1 : 2;
    multi.samples[0].relativeNote = 12;
    multi.samples[1].finetune = 50;
    multi.samples[1].volume = 48;
    multi.samples[1].panning = 40;
    multi.samples[2].relativeNote = -7;
    multi.samples[2].finetune = -90;
    XmModule multiSample = Song({{0, {Cell(30, 1)}}, {1, {Cell(50, 1)}}, {2, {Cell(70, 1)}},
                                 {3, {Cell(30, 0, 0, 0xE, 0x5C)}}, {4, {Cell(30)}}, {5, {Cell(50, 1, 0, 0xE, 0x53)}},
                                 {6, {Cell(50)}}, {7, {Cell(65, 0)}}});
    multiSample.instruments = {multi};
    cases.push_back({"multi_sample_keymap_relative_note_finetune", multiSample});

    XmSample shortLoop = Saw(32);
    shortLoop.loopStart = 20;
    shortLoop.loopLength = 3;
    shortLoop.relativeNote = 24;
    XmSample wide16 = Saw(64, 1, true);
    wide16.loopStart = 16;
    wide16.loopLength = 40;
    XmModule forward = Song({{0, {Cell(kC4 + 30, 1), Cell(kC4, 2)}}, {3, {Cell(kC4 + 47, 1), Cell(kC4 + 40, 2)}}}, 2, 6);
    forward.instruments = {Instrument({shortLoop}), Instrument({wide16})};
    cases.push_back({"forward_loops_with_steps_above_one_frame", forward});

    XmSample pingPong = Saw(48, 2, true);
    pingPong.loopStart = 10;
    pingPong.loopLength = 20;
    XmSample fromZero = Saw(24, 2);  // backward steps end below frame 0 here
    fromZero.loopStart = 0;
    fromZero.loopLength = 5;
    fromZero.relativeNote = 36;
    XmModule pingPongs = Song({{0, {Cell(kC4, 1), Cell(kC4, 2)}}, {3, {Cell(kC4 + 36, 1), Cell(kC4 + 11, 2)}}}, 2, 6);
    pingPongs.instruments = {Instrument({pingPong}), Instrument({fromZero})};
    cases.push_back({"ping_pong_loops_inside_and_from_frame_zero", pingPongs});

    XmSample once8 = Saw(300, 0);
    XmSample once16 = Saw(500, 0, true);
    XmSample packed = Saw(64);
    packed.packed4Bit = true;
    packed.loopStart = 8;
    packed.loopLength = 40;
    XmModule formats = Song({{0, {Cell(kC4 + 12, 1), Cell(kC4, 2), Cell(kC4 + 5, 3)}},
                             {4, {Cell(kC4 + 24, 1), Cell(kC4 + 12, 2), {}}}},
                            3, 7);
    formats.instruments = {Instrument({once8}), Instrument({once16}), Instrument({packed})};
    cases.push_back({"unlooped_8_and_16_bit_and_packed_4_bit", formats});
}

// Both frequency tables over the note range; flow effects; ramps and voice pairs.
void AddSongCases(std::vector<GoldenCase>& cases) {
    Rows range;
    for (int row = 0; row < 8; ++row) {
        range.push_back({row, {Cell(static_cast<std::uint8_t>(1 + 13 * row), 1), Cell(static_cast<std::uint8_t>(96 - 11 * row), 2)}});
    }
    range[0].second.push_back(Cell(96, 3));  // a period at or below 0: the floor frequency
    XmModule linear = Song(range, 3, 8, 2);
    XmSample tunedDown = Saw(32);
    tunedDown.finetune = -128;
    tunedDown.relativeNote = -12;
    XmSample tunedUp = Saw(32);
    tunedUp.finetune = 127;
    tunedUp.relativeNote = 10;
    XmSample beyondTop = Saw(32);
    beyondTop.relativeNote = 127;
    linear.instruments = {Instrument({tunedDown}), Instrument({tunedUp}), Instrument({beyondTop})};
    cases.push_back({"linear_table_note_range_and_finetune", linear});
    cases.push_back({"amiga_table_note_range_and_finetune", Amiga(linear)});

    XmModule flow = Song({}, 2, 16, 2);
    flow.orders = {0, 1, 2, 1};
    flow.patterns = {
        test::PatternOf(16, 2, {{0, {Cell(kC4, 1), Cell(kC4 + 4, 1)}}, {2, {Effect(0xD, 0x12), Cell(kC4 + 7)}}}),
        test::PatternOf(16, 2, {{0, {Cell(kC4 + 2), {}}}, {12, {Cell(kC4 + 9), Effect(0xF, 0x04)}},
                                {13, {Effect(0xB, 0x02), Effect(0xD, 0x03)}}}),
        test::PatternOf(16, 2, {{0, {Cell(kC4 + 1), {}}}, {3, {Cell(kC4 + 3), Effect(0xF, 0x7D)}},
                                {5, {Effect(0xF, 0x01), {}}}, {8, {Effect(0xD, 0x1A), Effect(0xF, 0x03)}}}),
    };
    cases.push_back({"flow_break_jump_speed_and_tempo", flow});

    XmModule loops = Song({{0, {Cell(kC4, 1), Cell(kC4 + 12, 1)}},
                           {1, {Effect(0xE, 0x60), Cell(kC4 + 5)}},
                           {2, {Cell(kC4 + 2), Effect(0xE, 0xE2)}},
                           {3, {Effect(0xE, 0x62), Effect(0xE, 0x60)}},
                           {4, {Cell(kC4 + 4), Effect(0xE, 0x61)}},
                           {5, {Effect(0xB, 0x00), Effect(0xD, 0x06)}},
                           {6, {Cell(kC4 + 7), {}}}},
                          2, 8, 2);
    loops.orders = {0, 0};
    loops.restartPosition = 1;
    cases.push_back({"flow_pattern_loops_delay_and_jump_with_break", loops});

    XmModule ramps = Song({{0, {Cell(kC4, 1, 0, 0xA, 0xF0), Cell(kC4 + 7, 1, 0x50, 0x7, 0xF8)}},
                           {1, {Cell(kC4 + 3, 1, 0, 0xA, 0x0F), Cell(kC4 + 7, 0, 0, 0x7, 0)}},
                           {2, {Cell(kC4 + 5, 1), Cell(kC4 + 7, 1)}},
                           {3, {Cell(kC4 + 5, 1, 0x10), Cell(kC4 + 9, 0, 0, 0x7, 0)}},
                           {4, {Cell(kC4 + 8, 1, 0x50), Effect(0xA, 0x0F)}}},
                          2, 6, 5);
    ramps.bpm = 255;  // ticks of 470 frames: ramps cross tick and segment ends
    cases.push_back({"ramps_across_ticks_and_voice_pairs", ramps});

    XmModule mix = Song({{0, {Cell(kC4, 1), Cell(kC4 + 4, 2), Cell(kC4 + 7, 3), Cell(kC4 - 12, 4)}},
                         {2, {{}, Effect(0xC, 0x20), Cell(0, 0, 0xCF), Effect(0x10, 0x30)}}},
                        4, 4);
    mix.instruments.clear();
    for (std::uint8_t i = 0; i < 4; ++i) {
        XmSample sample = Saw(static_cast<std::uint32_t>(24 + 8 * i), 1, (i & 1) != 0);
        sample.volume = static_cast<std::uint8_t>(64 - 10 * i);
        sample.panning = static_cast<std::uint8_t>(30 + 60 * i);
        mix.instruments.push_back(Instrument({sample}));
    }
    cases.push_back({"four_channels_levels_panning_and_global", mix});
}

// At half volume, where a change upward is heard as well as one downward.
void AddHalfVolumeCases(std::vector<GoldenCase>& cases) {
    // Whole cycles of every vibrato (channel 2) and tremolo (channel 1) waveform. Each step picks
    // waveforms, runs them, then strikes a note: the phases restart unless kept (vibrato: bit 2
    // or 3 of E4x; tremolo: the wave control, as a signed byte, at least 0x4F).
    const std::vector<std::pair<XmCell, XmCell>> picks{
        {Effect(0xE, 0x71), Effect(0xE, 0x41)}, {Effect(0xE, 0x72), Effect(0xE, 0x42)},
        {Effect(0xE, 0x73), Effect(0xE, 0x43)}, {Effect(0xE, 0x74), Effect(0xE, 0x46)},
        {Effect(0xE, 0x4E), Effect(0xE, 0x48)}, {Effect(0xE, 0x4F), Effect(0xE, 0x4C)},
        {Effect(0xE, 0x7C), Effect(0xE, 0x40)}};
    Rows waves{{0, {Cell(kC4, 1, 0x30, 0x7, 0xF8), Cell(kC4, 1, 0x30, 0x4, 0xF8)}}};
    for (std::size_t k = 0; k < picks.size(); ++k) {
        const int row = 3 * static_cast<int>(k);
        waves.push_back({row + 1, {picks[k].first, picks[k].second}});
        waves.push_back({row + 2, {Effect(0x7, 0x00), Effect(0x4, 0x00)}});
        waves.push_back({row + 3, {Cell(kC4, 1, 0x30, 0x7, 0x00), Cell(kC4, 1, 0x30, 0x4, 0x00)}});
    }
    cases.push_back({"vibrato_and_tremolo_whole_cycles_and_phases", Song(waves, 2, 22, 5)});

    // Each multi-retrig volume code once, from volume 32.
    Rows retrig;
    for (int code = 1; code < 16; ++code) {
        retrig.push_back({code - 1, {Cell(code == 1 ? kC4 : 0, code == 1 ? 1 : 0, 0x30, 0x1B, code << 4 | 1)}});
    }
    cases.push_back({"retrigger_volume_codes_from_half_volume", Song(retrig, 1, 15, 2)});

    // Odd real notes in the Amiga table; memories of effects given a zero parameter.
    cases.push_back({"amiga_odd_notes_and_effect_memories",
                     Amiga(Song({{0, {Cell(kC4 + 1, 1, 0x30, 0x0, 0x37)}}, {1, {Effect(0x6, 0x24)}},
                                 {2, {Effect(0x6, 0x00)}}, {3, {Cell(kC4 + 3, 0, 0, 0x0, 0x5A)}},
                                 {4, {Effect(0x6, 0x01)}}, {5, {Effect(0x6, 0x00)}}, {6, {Effect(0xA, 0x30)}},
                                 {7, {Effect(0x5, 0x00)}}},
                                1, 8, 4))});
}

// The highest instrument number, a pending sample offset cleared by one past
// the loop, and the auto-vibrato's sine at a depth that shows its every step.
void AddInstrumentEdgeCases(std::vector<GoldenCase>& cases) {
    XmModule module = Song({{0, {Cell(kC4, 1), Cell(kC4, 2)}}, {1, {Effect(0x9, 0x02), {}}},
                            {2, {Effect(0x9, 0x05), {}}}, {3, {Cell(kC4), {}}}, {4, {Cell(kC4, 128), {}}},
                            {5, {Cell(kC4 + 3), {}}}},
                           2, 7);
    XmInstrument deep = Instrument({Saw()});
    deep.vibratoDepth = 255;  // the file's byte, taken as it is
    deep.vibratoRate = 23;
    module.instruments = {Instrument({Saw(1024)}), deep};
    module.instruments.resize(127, Instrument({}));
    module.instruments.push_back(Instrument({Saw(48, 2)}));
    cases.push_back({"instrument_128_pending_offset_and_deep_auto_vibrato", module});
}

// A loop starting at the point count (so switched off), envelopes of two
// points, and a note delay after envelopes held at 9 and at 10.
void AddEnvelopeEdgeCases(std::vector<GoldenCase>& cases) {
    const auto enveloped = [](XmEnvelope volume, XmEnvelope panning = {}) {
        XmInstrument instrument = Instrument({Saw()});
        instrument.volumeEnvelope = volume;
        instrument.panningEnvelope = panning;
        return instrument;
    };
    // Channel 3 sets its position before the first point: the value rises from exactly 0.
    XmModule edges = Song({{0, {Cell(kC4, 1), Cell(kC4, 2), Cell(kC4, 3, 0x30)}}, {1, {{}, {}, Effect(0x15, 0)}}}, 3, 8);
    edges.instruments = {enveloped(Envelope({{0, 64}, {3, 40}, {6, 20}}, 5, 0, 3, 1)),
                         enveloped(Envelope({{0, 30}, {9, 50}}, 1), Envelope({{0, 0}, {9, 64}}, 1)),
                         enveloped(Envelope({{2, 0}, {5, 64}}, 1))};
    cases.push_back({"envelope_loop_from_the_point_count_and_two_points", edges});

    // The delayed note is silent on its own tick after a value below 10 (hard left: even a volume of 1 is heard).
    XmModule delay = Song({{0, {Cell(kC4, 1, 0x30, 0x8, 0x00), Cell(kC4, 2, 0x30)}},
                           {4, {Cell(kC4 + 5, 0, 0, 0xE, 0xD2), Cell(kC4 + 5, 0, 0, 0xE, 0xD2)}}},
                          2, 6);
    delay.instruments = {enveloped(Envelope({{0, 9}, {4, 9}}, 3, 1)), enveloped(Envelope({{0, 10}, {4, 10}}, 3, 1))};
    cases.push_back({"note_delay_after_envelopes_at_nine_and_ten", delay});
}

std::vector<GoldenCase> GoldenCases() {
    std::vector<GoldenCase> cases;
    AddEffectCases(cases);
    AddEnvelopeCases(cases);
    AddInstrumentCases(cases);
    AddSongCases(cases);
    AddHalfVolumeCases(cases);
    AddEnvelopeEdgeCases(cases);
    AddInstrumentEdgeCases(cases);
    // Away from 48 kHz: ticks of carried fractions, ramps and steps by the rate.
    const std::size_t at48k = cases.size();
    for (std::size_t i = 0; i < at48k; ++i) {
        const std::string& name = cases[i].name;
        if (name != "ramps_across_ticks_and_voice_pairs" && name != "flow_break_jump_speed_and_tempo" &&
            name != "ping_pong_loops_inside_and_from_frame_zero") {
            continue;
        }
        for (const std::uint32_t rate : {44100u, 96000u}) {
            cases.push_back({name + "_at_" + std::to_string(rate), cases[i].module, rate});
        }
    }
    return cases;
}

// --- the table ----------------------------------------------------------------
// "case NAME frames N digest HEX16" then the block digests, eight hex digits each.

std::map<std::string, Digest> ReadTable(const std::string& path) {
    std::map<std::string, Digest> table;
    std::ifstream in(path);
    std::string word;
    Digest* current = nullptr;
    while (in >> word) {
        if (word == "#") {
            std::getline(in, word);
        } else if (word == "case") {
            std::string name, framesWord, digestWord;
            current = &table[(in >> name, name)];
            in >> framesWord >> current->frames >> digestWord >> std::hex >> current->whole >> std::dec;
        } else if (current != nullptr) {
            current->blocks.push_back(static_cast<std::uint32_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return table;
}

void WriteTable(const std::string& path, const std::vector<GoldenCase>& cases, const std::vector<Digest>& digests) {
    std::ofstream out(path, std::ios::binary);
    out << "# Golden renders of tests/player/golden_render_test.cpp: frames, FNV-1a 64 of the 16-bit\n"
           "# samples, then one digest per 64 frames. Rewritten by scripts/bless-golden.sh.\n";
    char hex[24];
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digests[i].whole));
        out << "case " << cases[i].name << " frames " << digests[i].frames << " digest " << hex << "\n";
        for (std::size_t b = 0; b < digests[i].blocks.size(); ++b) {
            std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(digests[i].blocks[b]));
            out << (b % 12 == 0 ? "" : " ") << hex << (b % 12 == 11 || b + 1 == digests[i].blocks.size() ? "\n" : "");
        }
    }
}

std::string FirstDifference(const Digest& expected, const Digest& actual) {
    std::ostringstream message;
    std::size_t block = 0;
    while (block < expected.blocks.size() && block < actual.blocks.size() &&
           expected.blocks[block] == actual.blocks[block]) {
        ++block;
    }
    message << "first difference in frames " << block * kBlockFrames << ".." << (block + 1) * kBlockFrames - 1
            << " (" << actual.frames << " frames rendered, " << expected.frames << " blessed)";
    return message.str();
}

TEST(GoldenRenders, EveryCaseRendersItsBlessedSamples) {
    const std::vector<GoldenCase> cases = GoldenCases();
    std::vector<Digest> digests;
    for (const GoldenCase& c : cases) {
        const std::vector<std::int16_t> samples = Render(c.module, c.rate);
        ASSERT_GT(samples.size(), 2 * kSegmentFrames) << c.name << ": the module did not load or ended at once";
        digests.push_back(DigestOf(samples));
        // Every kernel set this processor has must give the same bits.
        for (const KernelChoice other : kAllKernelChoices) {
            if (other == KernelSelectionAtStart().running || !UseKernels(other)) continue;
            const std::vector<std::int16_t> again = Render(c.module, c.rate);
            UseKernels(KernelSelectionAtStart().running);
            EXPECT_TRUE(again == samples) << c.name << ": the " << KernelName(other) << " kernels render other bits";
        }
    }
    if (const char* bless = std::getenv("ZUMBRIK_BLESS_GOLDEN")) {
        WriteTable(bless, cases, digests);
        std::printf("blessed %zu cases into %s\n", cases.size(), bless);
        return;
    }
    const std::map<std::string, Digest> table = ReadTable(ZUMBRIK_GOLDEN_TABLE);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto blessed = table.find(cases[i].name);
        if (blessed == table.end()) {
            ADD_FAILURE() << cases[i].name << ": not in the table";
        } else if (!(blessed->second == digests[i])) {
            ADD_FAILURE() << cases[i].name << ": " << FirstDifference(blessed->second, digests[i]);
        }
    }
    EXPECT_EQ(table.size(), cases.size()) << "cases in the table that no longer exist: re-bless";
}

// --- values worked out by hand ------------------------------------------------
// A constant sample of 64 (16384 once decoded) at volume 64, global 64, full
// envelope: voice volume (64 * 255 * 64 * 64 * 65536) >> 35 = 127. A frame adds
// 16384 * 64 * side / 128 = 8192 * side, side being 128 x the side volume, and
// comes out as that sum / 16320 rounded half up. A note ramps its side volumes
// up from 0 by target per frame over 128 frames (frame k: side = target * k).

std::vector<std::int16_t> RenderTone(XmCell cell) {
    XmModule module = test::ToneModule(1, 3);
    module.patterns = {test::PatternOf(2, 1, {{0, {cell}}})};
    return Render(module);
}

TEST(GoldenRenders, CentredToneRampsUpThenHoldsItsWorkedOutLevel) {
    // Panning 128: each side 127 * 128 / 255 = 63 and 127 * 127 / 255 = 63.
    const std::vector<std::int16_t> s = RenderTone(Cell(kC4, 1));
    ASSERT_GE(s.size(), 2u * 200);
    // Frame k of the ramp: 8192 * 63 * k / 16320.
    const std::vector<std::int16_t> ramp{0, 0, 32, 32, 63, 63, 95, 95};
    EXPECT_EQ(std::vector<std::int16_t>(s.begin(), s.begin() + 8), ramp);
    EXPECT_EQ(s[2 * 64], 2024);  // 8192 * 63 * 64 / 16320 = 2023.9
    EXPECT_EQ(s[2 * 128], 4048);  // 8192 * 8064 / 16320 = 4047.8, from here on
    EXPECT_EQ(s[2 * 128 + 1], 4048);
    EXPECT_EQ(s[2 * 199], 4048);
}

TEST(GoldenRenders, HardLeftToneRampsUpThenHoldsItsWorkedOutLevel) {
    // Panning 0 by 8xx on the note's row: left 127 * 255 / 255 = 127, right 0.
    const std::vector<std::int16_t> s = RenderTone(Cell(kC4, 1, 0, 0x8, 0x00));
    ASSERT_GE(s.size(), 2u * 200);
    EXPECT_EQ(s[2 * 1], 64);      // 8192 * 127 / 16320 = 63.75
    EXPECT_EQ(s[2 * 2], 127);     // 127.498
    EXPECT_EQ(s[2 * 150], 8160);  // 8192 * 127 * 128 / 16320 = 8159.9
    EXPECT_EQ(s[2 * 1 + 1], 0);
    EXPECT_EQ(s[2 * 150 + 1], 0);
}

}  // namespace
}  // namespace zumbrik
