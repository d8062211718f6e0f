#include "player/engine/row_processing.h"

#include "player/engine/channel_update.h"
#include "player/song/effect_codes.h"
#include "player/engine/engine_arithmetic.h"
#include "player/engine/oscillators.h"
#include "player/engine/row_effects.h"
#include "player/engine/song_position.h"
#include "player/engine/volume_column.h"

namespace zumbrik {

namespace {

bool IsNote(std::uint8_t note) { return note >= 1 && note <= kHighestNote; }

std::int32_t OrderAfterBreak(const Play& play, std::int32_t order) {
    return order >= play.song->songLength ? 0 : order;
}

}  // namespace

bool ApplyFlowEffect(Play& play, ChannelState& channel, const PatternCell& cell, bool& jumpSeen) {
    const std::uint8_t param = cell.param;
    switch (cell.effect) {
        case effect::kPositionJump:
            play.pendingOrder = OrderAfterBreak(play, param);
            play.pendingRow = 0;
            jumpSeen = true;
            return true;
        case effect::kPatternBreak:
            // Two decimal digits, a nibble above 9 taken at face value.
            play.pendingRow = 10 * (param >> 4) + (param & 15);
            if (!jumpSeen) {
                play.pendingOrder = OrderAfterBreak(play, play.orderIndex + 1);
            }
            return true;
        case effect::kSpeedTempo:
            if (param < 0x20) {
                play.speed = param;
            } else {
                SetTempoBpm(play, param);
            }
            return true;
        case effect::kSetSpeed:
            if ((play.song->behaviour & kBehaviourSpeedEffect) == 0) return false;
            if (param != 0) play.speed = param;
            return true;
        case effect::kExtended:
            break;
        default:
            return false;
    }
    const std::uint8_t y = param & 15;
    switch (param >> 4) {
        case extended_effect::kPatternLoop:
            if (y == 0) {
                channel.loopRow = play.row;
            } else if (channel.loopCount == 0) {
                channel.loopCount = y;
                play.pendingRow = channel.loopRow;
            } else {
                channel.loopCount = static_cast<std::uint8_t>(channel.loopCount - 1);
                if (channel.loopCount != 0) {
                    play.pendingRow = channel.loopRow;
                }
            }
            return true;
        case extended_effect::kPatternDelay:
            play.patternDelayTicks = y * play.speed;
            return true;
        default:
            return false;
    }
}

namespace {

void ResetFromInstrument(const Song& song, ChannelState& channel, const SampleRecord& sample) {
    channel.volume = sample.volume;
    if ((song.behaviour & kBehaviourChannelPanning) == 0) channel.panning = sample.panning;
    channel.volumeEnvState.value = 64;
    channel.panningEnvState.value = 32;
    channel.fadeoutVolume = 65536;
    RestartEnvelopes(channel);
    RestartOscillators(channel);
    channel.updateFlags |= UpdateVolume | UpdatePanning;
}

void StepEnvelopesAndFade(ChannelState& channel, const InstrumentRecord& instrument) {
    if (EnvelopeActive(instrument, EnvelopeKind::Volume)) {
        AdvanceEnvelope(channel, instrument, EnvelopeKind::Volume);
    } else if (channel.keyReleased != 0) {
        channel.volumeEnvState.value = 0;  // without an envelope a key-off silences at once
    }
    if (EnvelopeActive(instrument, EnvelopeKind::Panning)) {
        AdvanceEnvelope(channel, instrument, EnvelopeKind::Panning);
    }
    if (channel.keyReleased != 0) {
        const std::int64_t faded = static_cast<std::int64_t>(channel.fadeoutVolume) - instrument.fadeout;
        channel.fadeoutVolume = ClampTo(faded, 0, 65536);
    }
}

// A tone portamento keeps the note and instrument it slides from; any
// other row takes the cell's.
void TakeNoteAndInstrument(ChannelState& channel, const PatternCell& cell, bool portaRow) {
    if (portaRow) {
        return;
    }
    if (cell.instrument >= 1 && cell.instrument <= 128) {
        channel.instrument = static_cast<std::uint8_t>(cell.instrument - 1);
    }
    if (IsNote(cell.note)) {
        channel.note = static_cast<std::uint8_t>(cell.note - 1);
    }
}

// The last tremolo offset stays in the volume once the effect changes.
void KeepTremoloOffset(ChannelState& channel, std::uint8_t effectCode) {
    if (effectCode != effect::kTremolo && channel.lastEffect == effect::kTremolo) {
        channel.volume = AddSaturated(channel.volume, channel.volumeDelta, kVolumeLimit);
    }
    channel.lastEffect = effectCode;
}

// A new note sets the period it plays at; a portamento (effect or volume
// column) only takes it as its target later.
void StartNewNote(const Play& play, ChannelState& channel, const PatternCell& cell,
                  const SampleRecord& sample, bool portaRow) {
    const std::int32_t realNote = cell.note - 1 + sample.relativeNote;
    channel.realNote = static_cast<std::uint8_t>(realNote & 0xFF);
    const std::int32_t period = SampleNotePeriod(play, realNote, sample);
    channel.notePeriod = period;
    if (!portaRow && DecodeVolumeColumn(cell.volume).command != VolumeCommand::TonePortamento) {
        channel.period = period;
    }
    channel.updateFlags |= StartNote;
}

void ApplyCell(Play& play, ChannelState& channel, const PatternCell& cell, bool& jumpSeen) {
    const bool portaRow = cell.effect == effect::kTonePortamento || cell.effect == effect::kTonePortamentoVolumeSlide;
    TakeNoteAndInstrument(channel, cell, portaRow);
    const InstrumentRecord& instrument = ChannelInstrument(play, channel);
    const SampleRecord& sample = InstrumentSample(instrument, channel.note);
    const SoundBeforeCell before{channel.period, channel.volume, channel.panning};

    KeepTremoloOffset(channel, cell.effect);
    channel.volumeDelta = 0;
    channel.periodDelta = 0;
    channel.updateFlags = UpdateVolume;

    if (IsNote(cell.note)) {
        StartNewNote(play, channel, cell, sample, portaRow);
    }
    // The instrument resets the sound even on a portamento row.
    if (cell.instrument != 0) {
        ResetFromInstrument(*play.song, channel, sample);
    }
    ApplyVolumeColumnOnRow(channel, cell.volume);
    if (cell.note >= kKeyOffNote || cell.effect == effect::kKeyOff) {
        channel.keyReleased = 1;
    }
    StepEnvelopesAndFade(channel, instrument);
    if (cell.effect >= effect::kPortamentoUp && cell.effect <= effect::kLastRowEffect &&
        !ApplyFlowEffect(play, channel, cell, jumpSeen)) {
        ApplyRowEffect(play, channel, cell, sample, instrument, before);
    }
    UpdateChannel(play, channel, sample, instrument);
}

}  // namespace

void ProcessRow(Play& play) {
    const PatternCell* cells = CurrentRowCells(play);
    if (cells == nullptr) {
        return;  // a pattern stored without data: the voices sound on untouched
    }
    bool jumpSeen = false;
    const std::int32_t channels = ProcessedChannels(play);
    for (std::int32_t c = 0; c < channels; ++c) {
        ApplyCell(play, play.channels[c], cells[c], jumpSeen);
    }
}

}  // namespace zumbrik
