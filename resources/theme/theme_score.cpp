#include "resources/theme/theme_score.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "resources/theme/score_notation.h"
#include "resources/theme/theme_instruments.h"

namespace zumbrik::theme {

namespace {

// A quarter note is 4 rows (0.4 s at tempo 5, 125 BPM), a bar 16 rows, and a
// pattern 4 bars.
constexpr std::uint16_t kRows = 64;
constexpr std::uint16_t kChannels = 4;
constexpr int kHalfBars = 8;
enum Channel { kMelodyChannel, kChordChannel, kBassChannel, kDrumChannel };

struct Chord {
    int pitchClass;  // 0 = C
    bool minor;
    bool operator==(const Chord&) const = default;
};

Chord ParseChord(std::string_view name) {
    static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};
    Chord chord{kSemitones[name[0] - 'A'], false};
    for (char c : name.substr(1)) {
        if (c == '#') chord.pitchClass = (chord.pitchClass + 1) % 12;
        if (c == 'm') chord.minor = true;
    }
    return chord;
}

// Two chords per bar, bars separated by '|': "Am Am | Dm G | ...".
std::array<Chord, kHalfBars> ParseChords(std::string_view text) {
    std::array<Chord, kHalfBars> chords{};
    int count = 0;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(" |");
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find_first_of(" |"), text.size());
        if (count == kHalfBars) break;
        chords[count++] = ParseChord(text.substr(0, end));
        text.remove_prefix(end);
    }
    if (count != kHalfBars) {
        std::fprintf(stderr, "theme score: a pattern needs %d chords\n", kHalfBars);
        std::exit(2);
    }
    return chords;
}

// The bass plays its roots between G-2 and F#3; the chords between F#3 and F-4.
std::uint8_t BassRoot(const Chord& chord) {
    return static_cast<std::uint8_t>(chord.pitchClass + 1 + (chord.pitchClass >= 7 ? 24 : 36));
}
std::uint8_t ChordRoot(const Chord& chord) {
    return static_cast<std::uint8_t>(chord.pitchClass + 1 + (chord.pitchClass >= 6 ? 36 : 48));
}

XmCell Note(std::uint8_t note, std::uint8_t instrument) { return XmCell{note, instrument, 0, 0, 0}; }
XmCell KeyOff() { return XmCell{kKeyOff, 0, 0, 0, 0}; }

struct Accompaniment {
    std::vector<XmCell> chords = std::vector<XmCell>(kRows);
    std::vector<XmCell> bass = std::vector<XmCell>(kRows);
};

// Oom-pah: the bass on beats 1 and 3 (the root, or the fifth below when the
// chord stays), short chord stabs on beats 2 and 4.
Accompaniment Polka(std::string_view chordText) {
    const auto chords = ParseChords(chordText);
    Accompaniment out;
    out.chords[0] = KeyOff();  // releases a pad held over from the pattern before
    for (int half = 0; half < kHalfBars; ++half) {
        const Chord& chord = chords[half];
        const int row = half * 8;
        const bool repeated = half % 2 == 1 && chords[half - 1] == chord;
        out.bass[row] = Note(static_cast<std::uint8_t>(BassRoot(chord) - (repeated ? 5 : 0)), kBass);
        out.bass[row + 5] = KeyOff();
        out.chords[row + 4] = Note(ChordRoot(chord), chord.minor ? kMinorStab : kMajorStab);
        out.chords[row + 6] = KeyOff();
    }
    return out;
}

// Held chords that change only with the harmony, over long bass notes.
Accompaniment Pads(std::string_view chordText) {
    const auto chords = ParseChords(chordText);
    Accompaniment out;
    for (int half = 0; half < kHalfBars; ++half) {
        const Chord& chord = chords[half];
        const int row = half * 8;
        const bool changed = half == 0 || !(chords[half - 1] == chord);
        if (changed) out.chords[row] = Note(ChordRoot(chord), chord.minor ? kMinorPad : kMajorPad);
        if (changed || half % 2 == 0) out.bass[row] = Note(BassRoot(chord), kBass);
    }
    return out;
}

// One character per row: K kick, S snare, h closed hat, O open hat, - nothing.
std::vector<XmCell> Drums(std::string_view bars) {
    std::vector<XmCell> cells;
    const std::uint8_t c4 = NoteNumber("C4");
    for (char c : bars) {
        switch (c) {
            case 'K': cells.push_back(Note(c4, kKick)); break;
            case 'S': cells.push_back(Note(c4, kSnare)); break;
            case 'h': cells.push_back(Note(c4, kClosedHat)); break;
            case 'O': cells.push_back(Note(c4, kOpenHat)); break;
            case '-': cells.push_back(XmCell{}); break;
            default: break;  // spaces and bar lines
        }
    }
    return cells;
}

constexpr std::string_view kBeat = "K-h-S-h-K-h-S-h-";
constexpr std::string_view kBeatOpen = "K-h-S-h-K-h-S-O-";
constexpr std::string_view kFill = "K-h-S-h-K-S-SSSS";
constexpr std::string_view kHalfTime = "K-h-h-h-S-h-h-h-";
constexpr std::string_view kHalfFill = "K-h-h-h-S-h-S-SS";
constexpr std::string_view kHats = "h-h-h-h-h-h-h-h-";
constexpr std::string_view kKickHats = "K-h-h-h-K-h-h-h-";

std::string Bars(std::initializer_list<std::string_view> bars) {
    std::string joined;
    for (std::string_view bar : bars) joined += bar;
    return joined;
}

XmPattern Pattern(const std::vector<XmCell>& melody, const Accompaniment& accompaniment,
                  const std::vector<XmCell>& drums) {
    const std::vector<XmCell>* channels[kChannels] = {&melody, &accompaniment.chords, &accompaniment.bass, &drums};
    XmPattern pattern;
    pattern.rows = kRows;
    pattern.cells.resize(std::size_t{kRows} * kChannels);
    for (int channel = 0; channel < kChannels; ++channel) {
        if (channels[channel]->size() != kRows) {
            std::fprintf(stderr, "theme score: channel %d of a pattern has %zu rows, not %u\n", channel,
                         channels[channel]->size(), static_cast<unsigned>(kRows));
            std::exit(2);
        }
        for (int row = 0; row < kRows; ++row) pattern.cells[std::size_t(row) * kChannels + channel] = (*channels[channel])[row];
    }
    return pattern;
}

// The tune, in A minor. Section A rises and answers itself a step lower; B
// turns to C major and finds its way home through E; C is A again, an octave
// down on the musette over held chords and a half-time beat.
constexpr std::string_view kMelodyA1 =
    "A4:2 A4:2 C5:2 E5:2 D5:4 C5:2 D5:2   E5:6 F5:2 E5:4 ^:4 "
    "D5:2 D5:2 F5:2 A5:2 G5:4 F5:2 E5:2   D5:12 ^:4";
constexpr std::string_view kMelodyA2 =
    "C5:2 C5:2 E5:2 A5:2 G5:4 F5:2 E5:2   F5:4 E5:2 D5:2 C5:4 B4:4 "
    "A4:2 B4:2 C5:2 D5:2 E5:4 G#4:4       A4:12 ^:4";
constexpr std::string_view kMelodyB1 =
    "G4:2 C5:2 E5:2 G5:2 F5:4 E5:4        D5:2 E5:2 F5:2 D5:2 E5:8 "
    "F4:2 A4:2 C5:2 F5:2 E5:4 D5:4        C5:2 D5:2 E5:2 C5:2 B4:8";
constexpr std::string_view kMelodyB2 =
    "A4:4 C5:2 B4:2 A4:4 E5:4             F5:6 E5:2 D5:4 C5:4 "
    "B4:2 C5:2 D5:2 B4:2 G#4:4 B4:4       A4:8 ^:8";
constexpr std::string_view kMelodyC1 =
    "A3:2 A3:2 C4:2 E4:2 D4:4 C4:2 D4:2   E4:6 F4:2 E4:4 ^:4 "
    "D4:2 D4:2 F4:2 A4:2 G4:4 F4:2 E4:2   D4:12 ^:4";
// Ends with the lead's pick-up into section A, where the song restarts.
constexpr std::string_view kMelodyC2 =
    "C4:2 C4:2 E4:2 A4:2 G4:4 F4:2 E4:2   F4:4 E4:2 D4:2 C4:4 B3:4 "
    "A3:2 B3:2 C4:2 D4:2 E4:4 G#3:4       A3:10 E4@1:2 G#4@1:2 B4@1:2";
constexpr std::string_view kMelodyIntro = "-:16 -:16 -:16 -:10 E4@1:2 G#4@1:2 B4@1:2";

constexpr std::string_view kChordsA1 = "Am Am | Am Am | Dm Dm | Dm G";
constexpr std::string_view kChordsA2 = "Am C | Dm E | Am E | Am Am";
constexpr std::string_view kChordsB1 = "C C | G C | F F | C E";
constexpr std::string_view kChordsB2 = "Am Am | Dm Am | E E | Am Am";
constexpr std::string_view kChordsIntro = "Am Am | Dm Dm | E E | Am E";

}  // namespace

XmModule ThemeModule() {
    XmModule module;
    module.name = "Zumbrik theme";
    module.trackerName = "zumbrik composer";
    module.channels = kChannels;
    module.flags = 1;  // linear frequency table
    module.tempo = 5;
    module.bpm = 125;
    module.instruments = ThemeInstruments();

    enum { kIntro, kA1, kA2, kB1, kB2, kC1, kC2 };
    module.patterns = {
        Pattern(ParseLine(kMelodyIntro, kLead), Pads(kChordsIntro), Drums(Bars({kHats, kHats, kKickHats, kFill}))),
        Pattern(ParseLine(kMelodyA1, kLead), Polka(kChordsA1), Drums(Bars({kBeat, kBeat, kBeat, kBeatOpen}))),
        Pattern(ParseLine(kMelodyA2, kLead), Polka(kChordsA2), Drums(Bars({kBeat, kBeat, kBeat, kFill}))),
        Pattern(ParseLine(kMelodyB1, kLead), Polka(kChordsB1), Drums(Bars({kBeat, kBeat, kBeat, kBeatOpen}))),
        Pattern(ParseLine(kMelodyB2, kLead), Polka(kChordsB2), Drums(Bars({kBeat, kBeat, kBeat, kFill}))),
        Pattern(ParseLine(kMelodyC1, kMusette), Pads(kChordsA1), Drums(Bars({kHalfTime, kHalfTime, kHalfTime, kHalfTime}))),
        Pattern(ParseLine(kMelodyC2, kMusette), Pads(kChordsA2), Drums(Bars({kHalfTime, kHalfTime, kHalfTime, kHalfFill}))),
    };
    // The introduction plays once; the song then loops from section A.
    module.orders = {kIntro, kA1, kA2, kB1, kB2, kA1, kA2, kC1, kC2};
    module.restartPosition = 1;
    return module;
}

}  // namespace zumbrik::theme
