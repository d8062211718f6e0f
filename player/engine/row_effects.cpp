#include "player/engine/row_effects.h"

#include "player/engine/channel_update.h"
#include "player/song/effect_codes.h"
#include "player/engine/effect_steps.h"
#include "player/engine/envelope.h"

namespace zumbrik {

namespace {

void SampleOffset(Play& play, ChannelState& channel, std::uint8_t param, const SampleRecord& sample) {
    if (param != 0) {
        channel.sampleOffset = param * 256;
    }
    MixVoice& voice = play.voices[channel.voice];
    const auto offset = static_cast<std::uint32_t>(channel.sampleOffset);
    const std::uint64_t loopEnd = static_cast<std::uint64_t>(sample.loopStart) + sample.loopLength;
    if ((play.song->behaviour & kBehaviourOffsetWithinSample) != 0) {
        if (offset < sample.length) {
            voice.startOffset = offset;
            return;
        }
        if (sample.loopType != NoLoop) {
            voice.startOffset = sample.loopStart;
            return;
        }
    }
    if (offset < loopEnd) {
        voice.startOffset = offset;
    } else {
        // An offset past the loop stops the sound, note or no note.
        ClearFlags(channel, StartNote);
        voice.sample = nullptr;
        voice.position = 0;
        voice.startOffset = 0;
    }
}

void SlideOnFirstTick(const Play& play, ChannelState& channel) {
    if ((play.song->behaviour & kBehaviourVolumeSlideOnFirstTick) != 0) VolumeSlide(channel);
}

void ExtraFinePortamento(ChannelState& channel, std::uint8_t param) {
    const std::uint8_t x = HighNibble(param);
    const std::uint8_t y = LowNibble(param);
    if (x == 1) {
        if (y != 0) channel.extraFineUp = y;
        AddPeriod(channel, PeriodSteps(channel, -static_cast<std::int32_t>(channel.extraFineUp)));
    } else if (x == 2) {
        if (y != 0) channel.extraFineDown = y;
        AddPeriod(channel, PeriodSteps(channel, channel.extraFineDown));
    }
}

void ApplyRowExtended(Play& play, ChannelState& channel, std::uint8_t param, const InstrumentRecord& instrument,
                      const SoundBeforeCell& before) {
    const std::uint8_t y = LowNibble(param);
    switch (HighNibble(param)) {
        case extended_effect::kFinePortamentoUp:
            if (y != 0) channel.finePortaUp = y;
            AddPeriod(channel, PeriodSteps(channel, -4 * static_cast<std::int32_t>(channel.finePortaUp)));
            break;
        case extended_effect::kFinePortamentoDown:
            if (y != 0) channel.finePortaDown = y;
            AddPeriod(channel, PeriodSteps(channel, 4 * static_cast<std::int32_t>(channel.finePortaDown)));
            break;
        case extended_effect::kVibratoWaveform:
            channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0xF0) | y);
            break;
        case extended_effect::kSetFinetune:
            if (const SampleRecord* sample = FindInstrumentSample(instrument, channel.note)) {
                play.finetunes[sample->index] = (play.song->behaviour & kBehaviourSignedFinetuneNibble) != 0
                                                    ? static_cast<std::int8_t>(((y ^ 8) - 8) * 16)
                                                    : static_cast<std::int8_t>(y);
            }
            break;
        case extended_effect::kTremoloWaveform:
            channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0x0F) | (y << 4));
            break;
        case extended_effect::kSetPanning:
            channel.panning = y * 16;
            channel.updateFlags |= UpdatePanning;
            break;
        case extended_effect::kFineVolumeSlideUp:
            if (y != 0) channel.fineVolumeSlide = static_cast<std::int8_t>(-y);
            AddVolume(channel, -channel.fineVolumeSlide);
            break;
        case extended_effect::kFineVolumeSlideDown:
            if (y != 0) channel.fineVolumeSlide = static_cast<std::int8_t>(y);
            AddVolume(channel, -channel.fineVolumeSlide);
            break;
        case extended_effect::kNoteDelay:
            // The note waits for its tick: the row tick keeps the sound as it was.
            channel.period = before.period;
            channel.volume = before.volume;
            channel.panning = before.panning;
            channel.updateFlags = 0;
            break;
        default:
            break;
    }
}

}  // namespace

void ApplyRowEffect(Play& play, ChannelState& channel, const PatternCell& cell, const SampleRecord& sample,
                    const InstrumentRecord& instrument, const SoundBeforeCell& before) {
    const std::uint8_t param = cell.param;
    const std::uint8_t x = HighNibble(param);
    const std::uint8_t y = LowNibble(param);
    switch (cell.effect) {
        case effect::kPortamentoUp:
        case effect::kPortamentoDown:
            if (param != 0) channel.portaSpeed = param;
            break;
        case effect::kTonePortamento:
            if (param != 0) channel.tonePortaSpeed = param;
            channel.portaTarget = channel.notePeriod;
            ClearFlags(channel, StartNote);
            break;
        case effect::kVibrato:
            if (x != 0) channel.vibrato.speed = x;
            if (y != 0) channel.vibrato.depth = static_cast<std::int8_t>(y);
            VibratoStep(channel);
            break;
        case effect::kTonePortamentoVolumeSlide:
            if (param != 0) channel.volumeSlide = param;
            channel.portaTarget = channel.notePeriod;
            ClearFlags(channel, StartNote);
            SlideOnFirstTick(play, channel);
            break;
        case effect::kVibratoVolumeSlide:
            if (param != 0) channel.volumeSlide = param;
            VibratoStep(channel);
            SlideOnFirstTick(play, channel);
            break;
        case effect::kTremolo:
            if (x != 0) channel.tremolo.speed = x;
            if (y != 0) channel.tremolo.depth = static_cast<std::int8_t>(y);
            break;
        case effect::kSetPanning:
            channel.panning = param;
            channel.updateFlags |= UpdatePanning;
            break;
        case effect::kSampleOffset:
            SampleOffset(play, channel, param, sample);
            break;
        case effect::kVolumeSlide:
            if (param != 0) channel.volumeSlide = param;
            SlideOnFirstTick(play, channel);
            break;
        case effect::kSetVolume:
            channel.volume = param;
            break;
        case effect::kExtended:
            ApplyRowExtended(play, channel, param, instrument, before);
            break;
        case effect::kSetGlobalVolume:
            play.globalVolume = param;
            break;
        case effect::kGlobalVolumeSlide:
            if (param != 0) play.globalVolumeSlide = param;
            break;
        case effect::kSetEnvelopePosition:
            SetVolumeEnvelopePosition(channel, instrument, param);
            break;
        case effect::kPanningSlide:
            if (param != 0) {
                channel.panningSlide = param;
                channel.updateFlags |= UpdatePanning;
            }
            break;
        case effect::kMultiRetrig:
            if (param != 0) {
                channel.retrigVolume = x;
                channel.retrigInterval = y;
            }
            break;
        case effect::kTremor:
            if (param != 0) {
                channel.tremorOn = x;
                channel.tremorOff = y;
            }
            ApplyTremor(channel);
            break;
        case effect::kExtraFinePortamento:
            ExtraFinePortamento(channel, param);
            break;
        default:
            break;
    }
}

}  // namespace zumbrik
