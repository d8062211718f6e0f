#pragma once
#include <cstdint>

#include "player/mixer/mix_pace.h"
#include "player/mixer/mix_voice.h"

namespace zumbrik {

// Adds `count` voices over `frames` stereo frames (left, right accumulators
// per frame) and moves the voices on. frames may be 0. The voice pairs whose
// bit is set in unheardPairs (pair p: voices 2p and 2p + 1) move on as they
// would, adding nothing.
void Mix(MixVoice* voices, std::int32_t count, const MixPace& pace, std::int32_t* destination, std::uint32_t frames,
         std::uint64_t unheardPairs = 0);

// Moves `count` voices on by `frames` frames exactly as Mix would, without
// mixing them: a seek's fast way through a song.
void MoveVoices(MixVoice* voices, std::int32_t count, const MixPace& pace, std::uint32_t frames);

// One voice's share of Mix at 48 kHz; exposed so a voice can be exercised on its own.
void MixOneVoice(MixVoice& voice, std::int32_t* destination, std::uint32_t frames);

// The interpolated sample, with 6 fractional bits, between data[i] and
// data[i + 1] at the 32-bit fraction of the way from one to the other.
inline std::int64_t InterpolateSample(std::int16_t s0, std::int16_t s1, std::uint32_t fraction) {
    const std::int64_t difference = static_cast<std::int64_t>(s1) - s0;
    return static_cast<std::int64_t>(s0) * 64 + ((difference * static_cast<std::int64_t>(fraction >> 1)) >> 25);
}

// What one frame adds to an accumulator for an interpolated sample and a
// side volume (x 128): rounds toward zero before the last halving.
inline std::int32_t VoiceContribution(std::int64_t interpolated, std::int32_t sideVolume) {
    const std::int64_t product = interpolated * sideVolume;
    const std::int64_t scaled = (product >> 6) + (product < 0 ? 1 : 0);
    return static_cast<std::int32_t>(scaled >> 1);
}

}  // namespace zumbrik
