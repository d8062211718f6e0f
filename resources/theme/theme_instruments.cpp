#include "resources/theme/theme_instruments.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include "resources/theme/integer_synth.h"

namespace zumbrik::theme {

namespace {

// Rate of the drum samples when played at C-4: two octaves above 8363 Hz.
constexpr std::int32_t kDrumRate = 33452;
constexpr std::int32_t kPeak = 26000;

XmEnvelope Envelope(std::initializer_list<std::pair<std::uint16_t, std::uint16_t>> points, int sustain = -1) {
    XmEnvelope envelope;
    for (const auto& [x, y] : points) envelope.points[envelope.pointCount++] = {x, y};
    envelope.type = 1;
    if (sustain >= 0) {
        envelope.type |= 2;
        envelope.sustain = static_cast<std::uint8_t>(sustain);
    }
    return envelope;
}

XmSample Looped(std::vector<std::int32_t> values, std::int8_t relativeNote, std::uint8_t volume,
                std::uint8_t panning, const char* name) {
    XmSample sample;
    Normalise(values, kPeak);
    sample.loopStart = 0;
    sample.loopLength = static_cast<std::uint32_t>(values.size());
    sample.values = std::move(values);
    sample.is16Bit = true;
    sample.loopType = 1;
    sample.relativeNote = relativeNote;
    sample.volume = volume;
    sample.panning = panning;
    sample.name = name;
    return sample;
}

XmSample OneShot(std::vector<std::int32_t> values, std::uint8_t volume, std::uint8_t panning, const char* name) {
    XmSample sample;
    // The tail fades to nothing, so the sample's end makes no click.
    const std::size_t tail = std::min<std::size_t>(400, values.size());
    for (std::size_t i = 0; i < tail; ++i) {
        std::int32_t& v = values[values.size() - 1 - i];
        v = static_cast<std::int32_t>(std::int64_t{v} * static_cast<std::int64_t>(i) / static_cast<std::int64_t>(tail));
    }
    Normalise(values, kPeak);
    sample.values = std::move(values);
    sample.is16Bit = true;
    sample.relativeNote = 24;
    sample.volume = volume;
    sample.panning = panning;
    sample.name = name;
    return sample;
}

XmInstrument Make(const char* name, XmSample sample, XmEnvelope volumeEnvelope, std::uint16_t fadeout) {
    XmInstrument instrument;
    instrument.name = name;
    instrument.samples.push_back(std::move(sample));
    instrument.volumeEnvelope = volumeEnvelope;
    instrument.fadeout = fadeout;
    return instrument;
}

// A reedy saw-like tone with its top harmonics tamed.
const std::vector<Harmonic> kReed{{1, 100}, {2, 50}, {3, 32}, {4, 22}, {5, 15}, {6, 9}, {7, 5}};
const std::vector<Harmonic> kSoftSaw{{1, 100}, {2, 45}, {3, 25}, {4, 12}, {5, 6}};

// A soft pulse: odd harmonics of a square with some even ones for a hollow, gentle lead.
std::vector<std::int32_t> LeadWave() {
    return AdditiveWave(256, 1, {{1, 100}, {2, 18}, {3, 30}, {4, 7}, {5, 13}, {7, 6}, {9, 3}});
}

// Two reeds a quarter-tone apart in total, beating a few times a second, as
// the musette register of a button accordion does.
std::vector<std::int32_t> MusetteWave() {
    return Mixed(AdditiveWave(8192, 127, kReed), AdditiveWave(8192, 129, kReed));
}

// A triad in just intonation: root, third and fifth as whole cycles of one loop.
std::vector<std::int32_t> TriadWave(std::uint32_t frames, std::uint32_t root, std::uint32_t third,
                                    std::uint32_t fifth) {
    return Mixed(Mixed(AdditiveWave(frames, root, kSoftSaw), AdditiveWave(frames, third, kSoftSaw)),
                 AdditiveWave(frames, fifth, kSoftSaw));
}

std::vector<std::int32_t> BassWave() {
    return AdditiveWave(256, 1, {{1, 100}, {2, 42}, {3, 20}, {4, 9}, {5, 4}});
}

// A sine whose pitch falls from about 160 Hz to 45 Hz, with a short click of noise.
std::vector<std::int32_t> KickWave() {
    std::vector<std::int32_t> wave(6000);
    std::uint32_t phase = 0;
    Decay sweep(115 << 16, 65470);
    Decay gain(65536, 65508);
    Noise noise(0x4B1C);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        const std::int64_t frequencyQ16 = (std::int64_t{45} << 16) + sweep.Next();
        phase += static_cast<std::uint32_t>(frequencyQ16 * ((std::int64_t{1} << 32) / kDrumRate) >> 16);
        std::int32_t value = Sine(phase >> 20);
        if (i < 60) value += noise.Next() / 6;
        wave[i] = ScaleQ16(value, gain.Next());
    }
    return wave;
}

// Soft noise over a short 190 Hz body.
std::vector<std::int32_t> SnareWave() {
    std::vector<std::int32_t> wave(5400);
    Noise noise(0x5A4E);
    Decay noiseGain(65536, 65497);
    Decay toneGain(52000, 65470);
    std::int32_t smoothed = 0;
    std::uint32_t phase = 0;
    const auto step = static_cast<std::uint32_t>(std::int64_t{190} * ((std::int64_t{1} << 32) / kDrumRate));
    for (auto& value : wave) {
        smoothed += ScaleQ16(noise.Next() - smoothed, 30000);
        phase += step;
        value = ScaleQ16(smoothed, noiseGain.Next()) + ScaleQ16(Sine(phase >> 20), toneGain.Next());
    }
    return wave;
}

// High-passed noise: what is left of the noise once its smoothed part is taken away.
std::vector<std::int32_t> HatWave(std::size_t frames, std::int32_t decayFactor, std::uint32_t seed) {
    std::vector<std::int32_t> wave(frames);
    Noise noise(seed);
    Decay gain(65536, decayFactor);
    std::int32_t smoothed = 0;
    for (auto& value : wave) {
        const std::int32_t raw = noise.Next();
        smoothed += ScaleQ16(raw - smoothed, 20000);
        value = ScaleQ16(raw - smoothed, gain.Next());
    }
    return wave;
}

}  // namespace

std::vector<XmInstrument> ThemeInstruments() {
    std::vector<XmInstrument> instruments;
    XmInstrument lead = Make("lead", Looped(LeadWave(), 36, 58, 120, "soft pulse"),
                             Envelope({{0, 48}, {2, 64}, {6, 52}, {16, 42}, {48, 32}, {120, 18}, {240, 0}}), 1536);
    lead.vibratoType = 0;
    lead.vibratoSweep = 40;
    lead.vibratoDepth = 3;
    lead.vibratoRate = 9;
    instruments.push_back(std::move(lead));

    instruments.push_back(Make("musette", Looped(MusetteWave(), 12, 64, 136, "two reeds"),
                               Envelope({{0, 16}, {3, 48}, {6, 56}, {10, 50}, {300, 40}}, 4), 2048));

    const XmEnvelope stab = Envelope({{0, 64}, {3, 50}, {8, 30}, {16, 16}, {30, 0}});
    const XmEnvelope pad = Envelope({{0, 10}, {6, 44}, {12, 40}, {200, 30}}, 3);
    instruments.push_back(Make("minor stab", Looped(TriadWave(1280, 10, 12, 15), 24, 38, 160, "minor triad"), stab, 3072));
    instruments.push_back(Make("major stab", Looped(TriadWave(512, 4, 5, 6), 24, 38, 160, "major triad"), stab, 3072));
    instruments.push_back(Make("minor pad", Looped(TriadWave(1280, 10, 12, 15), 24, 32, 150, "minor triad"), pad, 2048));
    instruments.push_back(Make("major pad", Looped(TriadWave(512, 4, 5, 6), 24, 32, 150, "major triad"), pad, 2048));

    instruments.push_back(Make("bass", Looped(BassWave(), 36, 64, 128, "round bass"),
                               Envelope({{0, 64}, {4, 52}, {16, 36}, {40, 24}, {100, 12}, {200, 0}}), 4096));

    XmInstrument kick;
    kick.name = "kick";
    kick.samples.push_back(OneShot(KickWave(), 64, 128, "falling sine"));
    instruments.push_back(std::move(kick));
    XmInstrument snare;
    snare.name = "snare";
    snare.samples.push_back(OneShot(SnareWave(), 46, 116, "noise and body"));
    instruments.push_back(std::move(snare));
    XmInstrument closedHat;
    closedHat.name = "closed hat";
    closedHat.samples.push_back(OneShot(HatWave(1700, 65440, 0x1A7), 26, 96, "short noise"));
    instruments.push_back(std::move(closedHat));
    XmInstrument openHat;
    openHat.name = "open hat";
    openHat.samples.push_back(OneShot(HatWave(6000, 65512, 0x0FE), 24, 96, "long noise"));
    instruments.push_back(std::move(openHat));
    return instruments;
}

}  // namespace zumbrik::theme
