#include "player/engine/tick_effects.h"

#include "player/engine/channel_update.h"
#include "player/song/effect_codes.h"
#include "player/engine/effect_steps.h"
#include "player/engine/oscillators.h"
#include "player/engine/song_position.h"
#include "player/engine/volume_column.h"

namespace zumbrik {

namespace {

constexpr std::int32_t kFullFade = 65536;

void Arpeggio(const Play& play, ChannelState& channel, std::uint8_t param, std::int32_t finetune) {
    const std::int32_t k = play.tick % 3;
    if (k != 0) {
        const std::int32_t semitones = k == 1 ? HighNibble(param) : LowNibble(param);
        if ((play.song->moduleFlags & 1) != 0) {
            channel.periodDelta = semitones * 64;
        } else {
            channel.periodDelta = static_cast<std::int32_t>(PeriodSteps(
                channel, AmigaPeriod(channel.realNote + semitones, finetune) - AmigaPeriod(channel.realNote, finetune)));
        }
    }
}

void Portamento(ChannelState& channel, std::int32_t direction) {
    const std::int64_t moved = static_cast<std::int64_t>(channel.period) + PeriodSteps(channel, direction * 4 * channel.portaSpeed);
    channel.period = ClampTo(moved, 1, kPeriodLimit);
    channel.periodDelta = 0;
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

void MultiRetrig(const Play& play, ChannelState& channel) {
    const std::uint8_t interval = channel.retrigInterval;
    if (interval == 0 || play.tick % interval != 0) {
        return;
    }
    channel.updateFlags |= StartNote;
    if (channel.retrigVolume != 0) {
        channel.volume = ClampTo(RetrigVolume(channel.retrigVolume, channel.volume), -kVolumeLimit, kVolumeLimit);
        channel.updateFlags |= UpdateVolume;
    }
}

void GlobalVolumeSlide(Play& play) {
    const std::uint8_t m = play.globalVolumeSlide;
    const std::int64_t delta = HighNibble(m) != 0 ? HighNibble(m) : -static_cast<std::int64_t>(LowNibble(m));
    play.globalVolume = AddSaturated(play.globalVolume, delta, kVolumeLimit);
}

void PanningSlide(ChannelState& channel) {
    const std::uint8_t m = channel.panningSlide;
    if (HighNibble(m) != 0) {
        const std::int64_t raised = static_cast<std::int64_t>(channel.panning) + HighNibble(m);
        channel.panning = static_cast<std::int32_t>(raised < 255 ? raised : 255);
    } else {
        const std::int64_t lowered = static_cast<std::int64_t>(channel.panning) - LowNibble(m);
        channel.panning = static_cast<std::int32_t>(lowered > 0 ? lowered : 0);
    }
    channel.updateFlags |= UpdatePanning;
}

// The note of an EDy row starts on tick y: an instrument reset without the
// panning, the note's period and the row's volume column.
void DelayedNoteStart(ChannelState& channel, const PatternCell& cell, const SampleRecord& sample) {
    channel.fadeoutVolume = kFullFade;
    channel.volume = sample.volume;
    channel.volumeEnvState.value = channel.volumeEnvState.value > 9 ? 64 : 0;
    RestartEnvelopes(channel);
    RestartOscillators(channel);
    channel.updateFlags |= StartNote | UpdateVolume;
    channel.period = channel.notePeriod;
    ApplyVolumeColumnOnRow(channel, cell.volume);
}

void TickExtended(const Play& play, ChannelState& channel, const PatternCell& cell,
                  const SampleRecord& sample) {
    const std::int32_t y = LowNibble(cell.param);
    switch (HighNibble(cell.param)) {
        case extended_effect::kRetrigger:
            if (y != 0 && play.tick % y == 0) {
                channel.updateFlags |= StartNote | UpdateVolume;
            }
            break;
        case extended_effect::kNoteCut:
            if (play.tick == y) {
                channel.volume = 0;
                channel.updateFlags |= UpdateVolume;
            }
            break;
        case extended_effect::kNoteDelay:
            if (play.tick == y) {
                DelayedNoteStart(channel, cell, sample);
            } else {
                channel.updateFlags = 0;
            }
            break;
        default:
            break;
    }
}

void TickEffect(Play& play, ChannelState& channel, const PatternCell& cell, const SampleRecord& sample) {
    const std::uint8_t param = cell.param;
    switch (cell.effect) {
        case effect::kArpeggio:
            if (param != 0) Arpeggio(play, channel, param, FinetuneOf(play, sample));
            break;
        case effect::kPortamentoUp:
            Portamento(channel, -1);
            break;
        case effect::kPortamentoDown:
            Portamento(channel, 1);
            break;
        case effect::kTonePortamento:
            ApplyTonePortamento(channel);
            break;
        case effect::kVibrato:
            VibratoStep(channel);
            break;
        case effect::kTonePortamentoVolumeSlide:
            ApplyTonePortamento(channel);
            VolumeSlide(channel);
            break;
        case effect::kVibratoVolumeSlide:
            VibratoStep(channel);
            VolumeSlide(channel);
            break;
        case effect::kTremolo:
            TremoloStep(channel);
            break;
        case effect::kVolumeSlide:
            VolumeSlide(channel);
            break;
        case effect::kExtended:
            TickExtended(play, channel, cell, sample);
            break;
        case effect::kGlobalVolumeSlide:
            GlobalVolumeSlide(play);
            break;
        case effect::kPanningSlide:
            PanningSlide(channel);
            break;
        case effect::kMultiRetrig:
            MultiRetrig(play, channel);
            break;
        case effect::kTremor:
            ApplyTremor(channel);
            break;
        default:
            break;
    }
}

// Envelopes advance and a released key fades on every tick.
void AdvanceEnvelopesAndFade(ChannelState& channel, const InstrumentRecord& instrument) {
    if (EnvelopeActive(instrument, EnvelopeKind::Volume)) {
        AdvanceEnvelope(channel, instrument, EnvelopeKind::Volume);
    }
    if (EnvelopeActive(instrument, EnvelopeKind::Panning)) {
        AdvanceEnvelope(channel, instrument, EnvelopeKind::Panning);
    }
    if (channel.keyReleased != 0) {
        channel.fadeoutVolume =
            ClampTo(static_cast<std::int64_t>(channel.fadeoutVolume) - instrument.fadeout, 0, kFullFade);
        channel.updateFlags |= UpdateVolume;
    }
}

}  // namespace

void ProcessTick(Play& play) {
    const PatternCell* cells = CurrentRowCells(play);
    if (cells == nullptr) {
        return;
    }
    const std::int32_t channels = ProcessedChannels(play);
    for (std::int32_t c = 0; c < channels; ++c) {
        ChannelState& channel = play.channels[c];
        const PatternCell& cell = cells[c];
        const InstrumentRecord& instrument = ChannelInstrument(play, channel);
        const SampleRecord& sample = InstrumentSample(instrument, channel.note);
        channel.volumeDelta = 0;
        channel.periodDelta = 0;
        channel.updateFlags = 0;
        AdvanceEnvelopesAndFade(channel, instrument);
        ApplyVolumeColumnOnTick(channel, cell.volume);
        if (cell.effect <= effect::kLastTickEffect) {
            TickEffect(play, channel, cell, sample);
        }
        UpdateChannel(play, channel, sample, instrument);
    }
}

}  // namespace zumbrik
