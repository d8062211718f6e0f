#include "player/engine/effect_steps.h"

#include <algorithm>

#include "player/engine/oscillators.h"

namespace zumbrik {

void VolumeSlide(ChannelState& channel) {
    const std::uint8_t m = channel.volumeSlide;
    if (HighNibble(m) != 0) {
        AddVolume(channel, HighNibble(m));
    } else {
        AddVolume(channel, -static_cast<std::int32_t>(LowNibble(m)));
    }
    channel.updateFlags |= UpdateVolume;
}

void VibratoStep(ChannelState& channel) {
    channel.periodDelta =
        static_cast<std::int32_t>(PeriodSteps(channel, StepOscillator(channel.vibrato, VibratoWaveform(channel)) >> 1));
}

void TremoloStep(ChannelState& channel) {
    channel.volumeDelta = StepOscillator(channel.tremolo, TremoloWaveform(channel));
    channel.updateFlags |= UpdateVolume;
}

void ApplyTonePortamento(ChannelState& channel) {
    const std::int64_t speed = PeriodSteps(channel, 4 * static_cast<std::int64_t>(channel.tonePortaSpeed));
    const std::int64_t period = channel.period;
    const std::int64_t target = channel.portaTarget;
    // Towards the target, never past it.
    channel.period = static_cast<std::int32_t>(period > target ? std::max(period - speed, target)
                                                               : std::min(period + speed, target));
}

void ApplyTremor(ChannelState& channel) {
    channel.updateFlags |= UpdateVolume;
    const std::uint8_t n = channel.tremorCount;
    if (n > channel.tremorOn) {
        channel.volumeDelta = -channel.volume;
    }
    channel.tremorCount = n > channel.tremorOn + channel.tremorOff ? 0 : static_cast<std::uint8_t>(n + 1);
}

}  // namespace zumbrik
