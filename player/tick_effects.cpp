#include "player/tick_effects.h"

#include "player/channel_update.h"
#include "player/engine_arithmetic.h"
#include "player/song_position.h"

namespace zumbrik {

namespace {

// S[i] = 127 sin(pi i / 32), rounded.
constexpr std::int8_t kVibratoSine[32] = {0,   12,  25,  37,  49,  60,  71,  81,  90,  98,  106,
                                          112, 117, 122, 125, 126, 127, 126, 125, 122, 117, 112,
                                          106, 98,  90,  81,  71,  60,  49,  37,  25,  12};

constexpr std::int32_t kFullFade = 65536;

std::uint8_t High(std::uint8_t value) { return static_cast<std::uint8_t>(value >> 4); }
std::uint8_t Low(std::uint8_t value) { return static_cast<std::uint8_t>(value & 15); }

void AddVolume(ChannelState& channel, std::int64_t delta) {
    channel.volume = AddSaturated(channel.volume, delta, kVolumeLimit);
}
void AddPanning(ChannelState& channel, std::int64_t delta) {
    channel.panning = AddSaturated(channel.panning, delta, kVolumeLimit);
}
void AddPeriod(ChannelState& channel, std::int64_t delta) {
    channel.period = AddSaturated(channel.period, delta, kPeriodLimit);
}

void VolumeSlide(ChannelState& channel) {
    const std::uint8_t m = channel.volumeSlide;
    if (High(m) != 0) {
        AddVolume(channel, High(m));
    } else {
        AddVolume(channel, -static_cast<std::int32_t>(Low(m)));
    }
    channel.updateFlags |= UpdateVolume;
}

void VibratoStep(ChannelState& channel) {
    channel.periodDelta = StepOscillator(channel.vibrato, channel.waveControl & 3) >> 1;
    channel.updateFlags |= UpdatePitch;
}

void TremoloStep(ChannelState& channel) {
    channel.volumeDelta = StepOscillator(channel.tremolo, (channel.waveControl >> 4) & 3);
    channel.updateFlags |= UpdateVolume;
}

void Arpeggio(const PlayerState& state, ChannelState& channel, std::uint8_t param, std::int32_t finetune) {
    const std::int32_t k = state.tick % 3;
    if (k != 0) {
        const std::int32_t semitones = k == 1 ? High(param) : Low(param);
        if ((state.moduleFlags & 1) != 0) {
            channel.periodDelta = semitones * 64;
        } else {
            channel.periodDelta = AmigaPeriod(channel.realNote + semitones, finetune) -
                                  AmigaPeriod(channel.realNote, finetune);
        }
    }
    channel.updateFlags |= UpdatePitch;
}

// Multi-retrig volume codes; results saturate instead of growing without end.
std::int64_t RetrigVolume(std::uint8_t code, std::int64_t v) {
    switch (code) {
        case 1: return v - 1;
        case 2: return v - 2;
        case 3: return v - 4;
        case 4: return v - 8;
        case 5: return v - 16;
        case 6: return (2 * v) / 3;
        case 7: return v >> 1;
        case 9: return v + 1;
        case 10: return v + 2;
        case 11: return v + 4;
        case 12: return v + 8;
        case 13: return v + 16;
        case 14: return (3 * v) >> 1;
        case 15: return 2 * v;
        default: return v;
    }
}

void MultiRetrig(const PlayerState& state, ChannelState& channel) {
    const std::uint8_t interval = channel.retrigInterval;
    if (interval == 0 || state.tick % interval != 0) {
        return;
    }
    channel.updateFlags |= StartNote;
    if (channel.retrigVolume != 0) {
        channel.volume = ClampTo(RetrigVolume(channel.retrigVolume, channel.volume), -kVolumeLimit, kVolumeLimit);
        channel.updateFlags |= UpdateVolume;
    }
}

void GlobalVolumeSlide(PlayerState& state) {
    const std::uint8_t m = state.globalVolumeSlide;
    const std::int64_t delta = (m & 0xF0) != 0 ? High(m) : -static_cast<std::int64_t>(Low(m));
    state.globalVolume = AddSaturated(state.globalVolume, delta, kVolumeLimit);
}

void PanningSlide(ChannelState& channel) {
    const std::uint8_t m = channel.panningSlide;
    if (High(m) != 0) {
        const std::int64_t raised = static_cast<std::int64_t>(channel.panning) + High(m);
        channel.panning = static_cast<std::int32_t>(raised < 255 ? raised : 255);
    } else {
        const std::int64_t lowered = static_cast<std::int64_t>(channel.panning) - Low(m);
        channel.panning = static_cast<std::int32_t>(lowered > 0 ? lowered : 0);
    }
    channel.updateFlags |= UpdatePanning;
}

void SampleOffset(ChannelState& channel, std::uint8_t param, const SampleRecord& sample) {
    if (param != 0) {
        channel.sampleOffset = param * 256;
    }
    MixVoice& voice = *channel.voice;
    const std::uint64_t loopEnd = static_cast<std::uint64_t>(sample.loopStart) + sample.loopLength;
    if (static_cast<std::uint32_t>(channel.sampleOffset) < loopEnd) {
        voice.startOffset = static_cast<std::uint32_t>(channel.sampleOffset);
    } else {
        // An offset past the loop stops the sound, note or no note.
        channel.updateFlags &= static_cast<std::uint8_t>(~StartNote);
        voice.sample = nullptr;
        voice.position = 0;
        voice.startOffset = 0;
    }
}

void RestartEnvelope(EnvelopeState& e) {
    e.tick = 0;
    e.nextPoint = 0;
    e.delta = 0;
    e.finished = 0;
}

void ClearFlags(ChannelState& channel, std::uint8_t flags) {
    channel.updateFlags &= static_cast<std::uint8_t>(~flags);
}

void ApplyRowExtended(ChannelState& channel, std::uint8_t param, SampleRecord& sample,
                      const SoundBeforeCell& before) {
    const std::uint8_t y = Low(param);
    switch (High(param)) {
        case 0x1:
            if (y != 0) channel.finePortaUp = y;
            AddPeriod(channel, -4 * static_cast<std::int32_t>(channel.finePortaUp));
            break;
        case 0x2:
            if (y != 0) channel.finePortaDown = y;
            AddPeriod(channel, 4 * static_cast<std::int32_t>(channel.finePortaDown));
            break;
        case 0x4:
            channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0xF0) | y);
            break;
        case 0x5:
            // The sample record itself changes, for every later note; the
            // shared stand-in for absent samples must stay all zero.
            if (&sample != &NoSample) {
                sample.finetune = static_cast<std::int8_t>(y);
            }
            break;
        case 0x7:
            channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0x0F) | (y << 4));
            break;
        case 0x8:
            channel.panning = y * 16;
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xA:
            if (y != 0) channel.fineVolumeSlide = static_cast<std::int8_t>(-y);
            AddVolume(channel, -channel.fineVolumeSlide);
            break;
        case 0xB:
            if (y != 0) channel.fineVolumeSlide = static_cast<std::int8_t>(y);
            AddVolume(channel, -channel.fineVolumeSlide);
            break;
        case 0xD:
            channel.period = before.period;
            channel.volume = before.volume;
            channel.panning = before.panning;
            channel.updateFlags = 0;
            break;
        default:
            break;
    }
}

void DelayedNoteStart(ChannelState& channel, const PatternCell& cell, const SampleRecord& sample) {
    channel.fadeoutVolume = kFullFade;
    channel.volume = sample.volume;
    channel.volumeEnvState.value = channel.volumeEnvState.value > 9 ? 64 : 0;
    RestartEnvelopesAndOscillators(channel);
    channel.updateFlags |= StartNote | UpdateVolume | UpdatePitch;
    channel.period = channel.notePeriod;
    ApplyVolumeColumn(channel, cell.volume);
}

void TickExtended(const PlayerState& state, ChannelState& channel, const PatternCell& cell,
                  const SampleRecord& sample) {
    const std::int32_t y = Low(cell.param);
    switch (High(cell.param)) {
        case 0x9:
            if (y != 0 && state.tick % y == 0) {
                channel.updateFlags |= StartNote | UpdateVolume | UpdatePitch;
            }
            break;
        case 0xC:
            if (state.tick == y) {
                channel.volume = 0;
                channel.updateFlags |= UpdateVolume;
            }
            break;
        case 0xD:
            if (state.tick == y) {
                DelayedNoteStart(channel, cell, sample);
            } else {
                channel.updateFlags = 0;
            }
            break;
        default:
            break;
    }
}

void TickVolumeColumn(ChannelState& channel, std::uint8_t v) {
    const std::int32_t y = Low(v);
    switch (v >> 4) {
        case 0x6:
            AddVolume(channel, -y);
            channel.updateFlags |= UpdateVolume;
            break;
        case 0x7:
            AddVolume(channel, y);
            channel.updateFlags |= UpdateVolume;
            break;
        case 0xB:
            channel.vibrato.depth = static_cast<std::int8_t>(y);
            VibratoStep(channel);
            break;
        case 0xD:
            AddPanning(channel, -y);
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xE:
            AddPanning(channel, y);
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xF:
            ApplyTonePortamento(channel);
            break;
        default:
            break;
    }
}

void TickEffect(PlayerState& state, ChannelState& channel, const PatternCell& cell, const SampleRecord& sample) {
    const std::uint8_t param = cell.param;
    switch (cell.effect) {
        case 0x00:
            if (param != 0) Arpeggio(state, channel, param, sample.finetune);
            break;
        case 0x01:
            channel.period = ClampTo(static_cast<std::int64_t>(channel.period) - 4 * channel.portaSpeed, 1, kPeriodLimit);
            channel.periodDelta = 0;
            channel.updateFlags |= UpdatePitch;
            break;
        case 0x02:
            channel.period = ClampTo(static_cast<std::int64_t>(channel.period) + 4 * channel.portaSpeed, 1, kPeriodLimit);
            channel.periodDelta = 0;
            channel.updateFlags |= UpdatePitch;
            break;
        case 0x03:
            ApplyTonePortamento(channel);
            break;
        case 0x04:
            VibratoStep(channel);
            break;
        case 0x05:
            ApplyTonePortamento(channel);
            VolumeSlide(channel);
            break;
        case 0x06:
            VibratoStep(channel);
            VolumeSlide(channel);
            break;
        case 0x07:
            TremoloStep(channel);
            break;
        case 0x0A:
            VolumeSlide(channel);
            break;
        case 0x0E:
            TickExtended(state, channel, cell, sample);
            break;
        case 0x11:
            GlobalVolumeSlide(state);
            break;
        case 0x19:
            PanningSlide(channel);
            break;
        case 0x1B:
            MultiRetrig(state, channel);
            break;
        case 0x1D:
            ApplyTremor(channel);
            break;
        default:
            break;
    }
}

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

void ApplyVolumeColumn(ChannelState& channel, std::uint8_t v) {
    const std::int32_t y = Low(v);
    if (v >= 0x10 && v <= 0x50) {
        channel.volume = v - 0x10;
        return;
    }
    switch (v >> 4) {
        case 0x6:
        case 0x8:
            AddVolume(channel, -y);
            break;
        case 0x7:
        case 0x9:
            AddVolume(channel, y);
            break;
        case 0xA:
            channel.vibrato.speed = static_cast<std::uint8_t>(y);
            break;
        case 0xB:
            channel.vibrato.depth = static_cast<std::int8_t>(y);
            break;
        case 0xC:
            channel.panning = y * 16;
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xD:
            AddPanning(channel, -y);
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xE:
            AddPanning(channel, y);
            channel.updateFlags |= UpdatePanning;
            break;
        case 0xF:
            if (y != 0) channel.tonePortaSpeed = static_cast<std::uint8_t>(y * 16);
            ClearFlags(channel, StartNote);
            channel.portaTarget = channel.notePeriod;
            break;
        default:
            break;
    }
}

void ApplyTonePortamento(ChannelState& channel) {
    channel.updateFlags |= UpdatePitch;
    const std::int64_t speed = 4 * static_cast<std::int64_t>(channel.tonePortaSpeed);
    const std::int64_t period = channel.period;
    const std::int64_t target = channel.portaTarget;
    if (period - target > 0) {
        channel.period = static_cast<std::int32_t>(period - speed < target ? target : period - speed);
    } else {
        channel.period = static_cast<std::int32_t>(period + speed > target ? target : period + speed);
    }
}

void ApplyTremor(ChannelState& channel) {
    channel.updateFlags |= UpdateVolume;
    const std::uint8_t n = channel.tremorCount;
    if (n > channel.tremorOn) {
        channel.volumeDelta = -channel.volume;
    }
    channel.tremorCount = n > channel.tremorOn + channel.tremorOff ? 0 : static_cast<std::uint8_t>(n + 1);
}

void RestartEnvelopesAndOscillators(ChannelState& channel) {
    RestartEnvelope(channel.volumeEnvState);
    RestartEnvelope(channel.panningEnvState);
    channel.autoVibratoSweep = 0;
    channel.autoVibratoPosition = 0;
    channel.keyReleased = 0;
    if ((channel.waveControl & 0x0C) == 0) {
        channel.vibrato.position = 0;
    }
    // Read as a signed byte and compared with 0x4F, as the music expects.
    if (static_cast<std::int8_t>(channel.waveControl) < 0x4F) {
        channel.tremolo.position = 0;
    }
}

void ApplyRowEffect(PlayerState& state, ChannelState& channel, const PatternCell& cell, SampleRecord& sample,
                    const InstrumentRecord& instrument, const SoundBeforeCell& before) {
    const std::uint8_t param = cell.param;
    const std::uint8_t x = High(param);
    const std::uint8_t y = Low(param);
    switch (cell.effect) {
        case 0x01:
        case 0x02:
            if (param != 0) channel.portaSpeed = param;
            break;
        case 0x03:
            if (param != 0) channel.tonePortaSpeed = param;
            channel.portaTarget = channel.notePeriod;
            ClearFlags(channel, StartNote | UpdatePitch);
            break;
        case 0x04:
            if (x != 0) channel.vibrato.speed = x;
            if (y != 0) channel.vibrato.depth = static_cast<std::int8_t>(y);
            VibratoStep(channel);
            break;
        case 0x05:
            if (param != 0) channel.volumeSlide = param;
            channel.portaTarget = channel.notePeriod;
            ClearFlags(channel, StartNote | UpdatePitch);
            break;
        case 0x06:
            if (param != 0) channel.volumeSlide = param;
            VibratoStep(channel);
            break;
        case 0x07:
            if (x != 0) channel.tremolo.speed = x;
            if (y != 0) channel.tremolo.depth = static_cast<std::int8_t>(y);
            break;
        case 0x08:
            channel.panning = param;
            channel.updateFlags |= UpdatePanning;
            break;
        case 0x09:
            SampleOffset(channel, param, sample);
            break;
        case 0x0A:
            if (param != 0) channel.volumeSlide = param;
            break;
        case 0x0C:
            channel.volume = param;
            break;
        case 0x0E:
            ApplyRowExtended(channel, param, sample, before);
            break;
        case 0x10:
            state.globalVolume = param;
            break;
        case 0x11:
            if (param != 0) state.globalVolumeSlide = param;
            break;
        case 0x15:
            SetVolumeEnvelopePosition(channel, instrument, param);
            break;
        case 0x19:
            if (param != 0) {
                channel.panningSlide = param;
                channel.updateFlags |= UpdatePanning;
            }
            break;
        case 0x1B:
            if (param != 0) {
                channel.retrigVolume = x;
                channel.retrigInterval = y;
            }
            break;
        case 0x1D:
            if (param != 0) {
                channel.tremorOn = x;
                channel.tremorOff = y;
            }
            ApplyTremor(channel);
            break;
        case 0x21:
            if (x == 1) {
                if (y != 0) channel.extraFineUp = y;
                AddPeriod(channel, -static_cast<std::int32_t>(channel.extraFineUp));
            } else if (x == 2) {
                if (y != 0) channel.extraFineDown = y;
                AddPeriod(channel, channel.extraFineDown);
            }
            break;
        default:
            break;
    }
}

void ProcessTick(PlayerState& state) {
    const PatternCell* cells = CurrentRowCells(state);
    if (cells == nullptr) {
        return;
    }
    const std::int32_t channels = ProcessedChannels(state);
    for (std::int32_t c = 0; c < channels; ++c) {
        ChannelState& channel = state.channels[c];
        const PatternCell& cell = cells[c];
        const InstrumentRecord& instrument = ChannelInstrument(state, channel);
        const SampleRecord& sample = InstrumentSample(instrument, channel.note);
        channel.volumeDelta = 0;
        channel.periodDelta = 0;
        channel.updateFlags = 0;
        if (EnvelopeActive(instrument, EnvelopeKind::Volume)) {
            AdvanceEnvelope(channel, instrument, EnvelopeKind::Volume);
        }
        if (EnvelopeActive(instrument, EnvelopeKind::Panning)) {
            AdvanceEnvelope(channel, instrument, EnvelopeKind::Panning);
        }
        if (channel.keyReleased != 0) {
            channel.fadeoutVolume = ClampTo(static_cast<std::int64_t>(channel.fadeoutVolume) - instrument.fadeout, 0,
                                            kFullFade);
            channel.updateFlags |= UpdateVolume;
        }
        TickVolumeColumn(channel, cell.volume);
        if (cell.effect <= 0x1D) {
            TickEffect(state, channel, cell, sample);
        }
        UpdateChannel(state, channel, sample, instrument);
    }
}

}  // namespace zumbrik

