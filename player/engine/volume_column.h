#pragma once
#include <cstdint>

#include "player/song/effect_codes.h"
#include "player/engine/play_records.h"

namespace zumbrik {

enum class VolumeCommand : std::uint8_t {
    None,
    SetVolume,
    SlideDown,
    SlideUp,
    FineSlideDown,
    FineSlideUp,
    VibratoSpeed,
    VibratoDepth,
    SetPanning,
    PanningSlideLeft,
    PanningSlideRight,
    TonePortamento,
};

struct VolumeColumnEntry {
    VolumeCommand command;
    std::uint8_t value;  // the volume 0..64 for SetVolume, else the low nibble
};

// What a volume-column byte asks for.
inline VolumeColumnEntry DecodeVolumeColumn(std::uint8_t byte) {
    if (byte >= volume_column::kFirstSetVolume && byte <= volume_column::kLastSetVolume) {
        return {VolumeCommand::SetVolume, static_cast<std::uint8_t>(byte - volume_column::kFirstSetVolume)};
    }
    const auto value = static_cast<std::uint8_t>(byte & 15);
    switch (byte >> 4) {
        case volume_column::kSlideDown: return {VolumeCommand::SlideDown, value};
        case volume_column::kSlideUp: return {VolumeCommand::SlideUp, value};
        case volume_column::kFineSlideDown: return {VolumeCommand::FineSlideDown, value};
        case volume_column::kFineSlideUp: return {VolumeCommand::FineSlideUp, value};
        case volume_column::kVibratoSpeed: return {VolumeCommand::VibratoSpeed, value};
        case volume_column::kVibratoDepth: return {VolumeCommand::VibratoDepth, value};
        case volume_column::kSetPanning: return {VolumeCommand::SetPanning, value};
        case volume_column::kPanningSlideLeft: return {VolumeCommand::PanningSlideLeft, value};
        case volume_column::kPanningSlideRight: return {VolumeCommand::PanningSlideRight, value};
        case volume_column::kTonePortamento: return {VolumeCommand::TonePortamento, value};
        default: return {VolumeCommand::None, 0};
    }
}

// The volume column's work on the row tick: every command applies once,
// the fine slides among them; the vibrato and the portamento only take
// their settings.
void ApplyVolumeColumnOnRow(ChannelState& channel, std::uint8_t volumeByte);

// Its work on the later ticks: the plain slides, the vibrato and the
// portamento.
void ApplyVolumeColumnOnTick(ChannelState& channel, std::uint8_t volumeByte);

}  // namespace zumbrik
