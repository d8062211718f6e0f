#include "player/engine/oscillators.h"

namespace zumbrik {

namespace {

// S[i] = 127 sin(pi i / 32), rounded.
constexpr std::int8_t kVibratoSine[32] = {0,   12,  25,  37,  49,  60,  71,  81,  90,  98,  106,
                                          112, 117, 122, 125, 126, 127, 126, 125, 122, 117, 112,
                                          106, 98,  90,  81,  71,  60,  49,  37,  25,  12};

// Q[i] = 64 sin(pi i / 128), rounded, i = 0..64.
constexpr std::int8_t kQuarterSine[65] = {0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 16, 17, 19, 20, 22, 23, 24,
                                          26, 27, 29, 30, 32, 33, 34, 36, 37, 38, 39, 41, 42, 43, 44, 45, 46,
                                          47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 56, 57, 58, 59, 59, 60, 60,
                                          61, 61, 62, 62, 62, 63, 63, 63, 64, 64, 64, 64, 64, 64};

}  // namespace

// Waveform 1, the ramp, is not given by the music's format notes; it falls
// evenly over the 64 positions from 127 to -125, on the sine's scale.
std::int32_t OscillatorWave(std::uint8_t waveform, std::uint8_t position) {
    const std::uint8_t p = position & 63;
    switch (waveform & 3) {
        case 0: {
            const std::int32_t w = kVibratoSine[p & 31];
            return (p & 32) != 0 ? -w : w;
        }
        case 1:
            return 127 - 4 * p;
        default:
            return (p & 32) == 0 ? 127 : -127;
    }
}

std::int32_t StepOscillator(Oscillator& oscillator, std::uint8_t waveform) {
    const std::uint8_t p = oscillator.position;
    oscillator.position = static_cast<std::uint8_t>((p + oscillator.speed) & 63);
    return (OscillatorWave(waveform, p) * oscillator.depth) >> 5;
}

std::int32_t AutoVibratoWave(std::uint8_t vibratoType, std::int32_t position) {
    const std::int32_t pos = position & 255;
    switch (vibratoType) {
        case 0: {
            std::int32_t j = pos & 127;
            if (j > 64) {
                j = 128 - j;
            }
            const std::int32_t w = kQuarterSine[j];
            return (pos & 128) != 0 ? -w : w;
        }
        case 1:
            return pos < 128 ? 64 : -64;
        case 2:
            return (128 - ((pos + 128) & 255)) >> 1;
        default:
            return (128 - ((128 - pos) & 255)) >> 1;
    }
}

void RestartOscillators(ChannelState& channel) {
    channel.autoVibratoSweep = 0;
    channel.autoVibratoPosition = 0;
    if ((channel.waveControl & 0x0C) == 0) {
        channel.vibrato.position = 0;
    }
    // Read as a signed byte and compared with 0x4F, as the music expects.
    if (static_cast<std::int8_t>(channel.waveControl) < 0x4F) {
        channel.tremolo.position = 0;
    }
}

}  // namespace zumbrik
