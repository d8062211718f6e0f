#include "player/row_processing.h"

#include "player/channel_update.h"
#include "player/engine_arithmetic.h"
#include "player/song_position.h"
#include "player/tick_effects.h"

namespace zumbrik {

namespace {

constexpr std::uint8_t kTonePortamento = 0x03;
constexpr std::uint8_t kTonePortamentoVolumeSlide = 0x05;
constexpr std::uint8_t kTremolo = 0x07;
constexpr std::uint8_t kPositionJump = 0x0B;
constexpr std::uint8_t kPatternBreak = 0x0D;
constexpr std::uint8_t kExtended = 0x0E;
constexpr std::uint8_t kSpeedTempo = 0x0F;
constexpr std::uint8_t kKeyOff = 0x14;
constexpr std::uint8_t kLastRowEffect = 0x21;
constexpr std::uint8_t kKeyOffNote = 97;

bool IsNote(std::uint8_t note) { return note >= 1 && note <= 96; }

std::int32_t OrderAfterBreak(const PlayerState& state, std::int32_t order) {
    return order >= state.songLength ? 0 : order;
}

void ResetFromInstrument(ChannelState& channel, const SampleRecord& sample) {
    channel.volume = sample.volume;
    channel.panning = sample.panning;
    channel.volumeEnvState.value = 64;
    channel.panningEnvState.value = 32;
    channel.fadeoutVolume = 65536;
    RestartEnvelopesAndOscillators(channel);
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

// The flow effects act in channel order, a later channel overwriting an
// earlier one. Returns true when the effect was one of them.
bool ApplyFlowEffect(PlayerState& state, ChannelState& channel, const PatternCell& cell, bool& jumpSeen) {
    const std::uint8_t param = cell.param;
    switch (cell.effect) {
        case kPositionJump:
            state.pendingOrder = OrderAfterBreak(state, param);
            state.pendingRow = 0;
            jumpSeen = true;
            return true;
        case kPatternBreak:
            // Two decimal digits, a nibble above 9 taken at face value.
            state.pendingRow = 10 * (param >> 4) + (param & 15);
            if (!jumpSeen) {
                state.pendingOrder = OrderAfterBreak(state, state.orderIndex + 1);
            }
            return true;
        case kSpeedTempo:
            if (param < 0x20) {
                state.speed = param;
            } else {
                SetTempoBpm(state, param);
            }
            return true;
        case kExtended:
            break;
        default:
            return false;
    }
    const std::uint8_t y = param & 15;
    switch (param >> 4) {
        case 0x6:
            if (y == 0) {
                channel.loopRow = state.row;
            } else if (channel.loopCount == 0) {
                channel.loopCount = y;
                state.pendingRow = channel.loopRow;
            } else {
                channel.loopCount = static_cast<std::uint8_t>(channel.loopCount - 1);
                if (channel.loopCount != 0) {
                    state.pendingRow = channel.loopRow;
                }
            }
            return true;
        case 0xE:
            state.patternDelayTicks = y * state.speed;
            return true;
        default:
            return false;
    }
}

void ApplyCell(PlayerState& state, ChannelState& channel, const PatternCell& cell, bool& jumpSeen) {
    // 1, 2. A tone portamento keeps the note and instrument it slides from.
    const bool portaRow = cell.effect == kTonePortamento || cell.effect == kTonePortamentoVolumeSlide;
    if (!portaRow) {
        if (cell.instrument >= 1 && cell.instrument <= 128) {
            channel.instrument = static_cast<std::uint8_t>(cell.instrument - 1);
        }
        if (IsNote(cell.note)) {
            channel.note = static_cast<std::uint8_t>(cell.note - 1);
        }
    }
    // 3, 4.
    const InstrumentRecord& instrument = ChannelInstrument(state, channel);
    SampleRecord& sample = InstrumentSample(instrument, channel.note);
    const SoundBeforeCell before{channel.period, channel.volume, channel.panning};

    // 5. The last tremolo offset stays in the volume once the effect changes.
    if (cell.effect != kTremolo && channel.lastEffect == kTremolo) {
        channel.volume = AddSaturated(channel.volume, channel.volumeDelta, kVolumeLimit);
    }
    channel.lastEffect = cell.effect;

    // 6.
    channel.volumeDelta = 0;
    channel.periodDelta = 0;
    channel.updateFlags = UpdatePitch | UpdateVolume;

    // 7. New note.
    if (IsNote(cell.note)) {
        const std::int32_t realNote = cell.note - 1 + sample.relativeNote;
        channel.realNote = static_cast<std::uint8_t>(realNote & 0xFF);
        const std::int32_t period = NotePeriod(state, realNote, sample.finetune);
        channel.notePeriod = period;
        if (!portaRow && cell.volume < 0xF0) {
            channel.period = period;
        }
        channel.updateFlags |= StartNote;
    }

    // 8. Instrument reset, also on a porta row.
    if (cell.instrument != 0) {
        ResetFromInstrument(channel, sample);
    }

    // 9, 10.
    ApplyVolumeColumn(channel, cell.volume);
    if (cell.note >= kKeyOffNote || cell.effect == kKeyOff) {
        channel.keyReleased = 1;
    }

    // 11.
    StepEnvelopesAndFade(channel, instrument);

    // 12.
    if (cell.effect >= 0x01 && cell.effect <= kLastRowEffect && !ApplyFlowEffect(state, channel, cell, jumpSeen)) {
        ApplyRowEffect(state, channel, cell, sample, instrument, before);
    }

    // 13.
    UpdateChannel(state, channel, sample, instrument);
}

}  // namespace

void ProcessRow(PlayerState& state) {
    const PatternCell* cells = CurrentRowCells(state);
    if (cells == nullptr) {
        return;  // a pattern stored without data: the voices sound on untouched
    }
    bool jumpSeen = false;
    const std::int32_t channels = ProcessedChannels(state);
    for (std::int32_t c = 0; c < channels; ++c) {
        ApplyCell(state, state.channels[c], cells[c], jumpSeen);
    }
}

}  // namespace zumbrik
