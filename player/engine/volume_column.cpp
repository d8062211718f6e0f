#include "player/engine/volume_column.h"

#include "player/engine/effect_steps.h"

namespace zumbrik {

namespace {

void SlidePanning(ChannelState& channel, std::int32_t delta) {
    AddPanning(channel, delta);
    channel.updateFlags |= UpdatePanning;
}

}  // namespace

void ApplyVolumeColumnOnRow(ChannelState& channel, std::uint8_t volumeByte) {
    const VolumeColumnEntry entry = DecodeVolumeColumn(volumeByte);
    const std::int32_t y = entry.value;
    switch (entry.command) {
        case VolumeCommand::SetVolume:
            channel.volume = y;
            break;
        case VolumeCommand::SlideDown:
        case VolumeCommand::FineSlideDown:
            AddVolume(channel, -y);
            break;
        case VolumeCommand::SlideUp:
        case VolumeCommand::FineSlideUp:
            AddVolume(channel, y);
            break;
        case VolumeCommand::VibratoSpeed:
            channel.vibrato.speed = static_cast<std::uint8_t>(y);
            break;
        case VolumeCommand::VibratoDepth:
            channel.vibrato.depth = static_cast<std::int8_t>(y);
            break;
        case VolumeCommand::SetPanning:
            channel.panning = y * 16;
            channel.updateFlags |= UpdatePanning;
            break;
        case VolumeCommand::PanningSlideLeft:
            SlidePanning(channel, -y);
            break;
        case VolumeCommand::PanningSlideRight:
            SlidePanning(channel, y);
            break;
        case VolumeCommand::TonePortamento:
            if (y != 0) channel.tonePortaSpeed = static_cast<std::uint8_t>(y * 16);
            ClearFlags(channel, StartNote);
            channel.portaTarget = channel.notePeriod;
            break;
        case VolumeCommand::None:
            break;
    }
}

void ApplyVolumeColumnOnTick(ChannelState& channel, std::uint8_t volumeByte) {
    const VolumeColumnEntry entry = DecodeVolumeColumn(volumeByte);
    const std::int32_t y = entry.value;
    switch (entry.command) {
        case VolumeCommand::SlideDown:
            AddVolume(channel, -y);
            channel.updateFlags |= UpdateVolume;
            break;
        case VolumeCommand::SlideUp:
            AddVolume(channel, y);
            channel.updateFlags |= UpdateVolume;
            break;
        case VolumeCommand::VibratoDepth:
            channel.vibrato.depth = static_cast<std::int8_t>(y);
            VibratoStep(channel);
            break;
        case VolumeCommand::PanningSlideLeft:
            SlidePanning(channel, -y);
            break;
        case VolumeCommand::PanningSlideRight:
            SlidePanning(channel, y);
            break;
        case VolumeCommand::TonePortamento:
            ApplyTonePortamento(channel);
            break;
        default:
            break;
    }
}

}  // namespace zumbrik
