#pragma once
#include <cstdint>

namespace zumbrik {

// The codes a pattern cell carries: notes, effects with their extended (Exy)
// sub-effects, and the volume column's commands. The row code, the tick code
// and the tool's `info` name them from here.

inline constexpr std::uint8_t kHighestNote = 96;  // notes are 1..96
inline constexpr std::uint8_t kKeyOffNote = 97;   // and anything above

namespace effect {
inline constexpr std::uint8_t kArpeggio = 0x00;
inline constexpr std::uint8_t kPortamentoUp = 0x01;
inline constexpr std::uint8_t kPortamentoDown = 0x02;
inline constexpr std::uint8_t kTonePortamento = 0x03;
inline constexpr std::uint8_t kVibrato = 0x04;
inline constexpr std::uint8_t kTonePortamentoVolumeSlide = 0x05;
inline constexpr std::uint8_t kVibratoVolumeSlide = 0x06;
inline constexpr std::uint8_t kTremolo = 0x07;
inline constexpr std::uint8_t kSetPanning = 0x08;
inline constexpr std::uint8_t kSampleOffset = 0x09;
inline constexpr std::uint8_t kVolumeSlide = 0x0A;
inline constexpr std::uint8_t kPositionJump = 0x0B;
inline constexpr std::uint8_t kSetVolume = 0x0C;
inline constexpr std::uint8_t kPatternBreak = 0x0D;
inline constexpr std::uint8_t kExtended = 0x0E;
inline constexpr std::uint8_t kSpeedTempo = 0x0F;
inline constexpr std::uint8_t kSetGlobalVolume = 0x10;
inline constexpr std::uint8_t kGlobalVolumeSlide = 0x11;
inline constexpr std::uint8_t kKeyOff = 0x14;
inline constexpr std::uint8_t kSetEnvelopePosition = 0x15;
inline constexpr std::uint8_t kPanningSlide = 0x19;
inline constexpr std::uint8_t kMultiRetrig = 0x1B;
inline constexpr std::uint8_t kTremor = 0x1D;
inline constexpr std::uint8_t kExtraFinePortamento = 0x21;  // x 1: up, x 2: down
// Any speed from 1 to 255, for songs with kBehaviourSpeedEffect; no XM effect.
inline constexpr std::uint8_t kSetSpeed = 0x22;

// The highest code with work on the row tick, and on the later ticks.
inline constexpr std::uint8_t kLastRowEffect = kSetSpeed;
inline constexpr std::uint8_t kLastTickEffect = kTremor;
// Effects are written as one character, 0-9 then A-Z.
inline constexpr std::uint8_t kNamedEffects = 36;
}  // namespace effect

// The high nibble of an Exy parameter.
namespace extended_effect {
inline constexpr std::uint8_t kFinePortamentoUp = 0x1;
inline constexpr std::uint8_t kFinePortamentoDown = 0x2;
inline constexpr std::uint8_t kVibratoWaveform = 0x4;
inline constexpr std::uint8_t kSetFinetune = 0x5;
inline constexpr std::uint8_t kPatternLoop = 0x6;
inline constexpr std::uint8_t kTremoloWaveform = 0x7;
inline constexpr std::uint8_t kSetPanning = 0x8;
inline constexpr std::uint8_t kRetrigger = 0x9;
inline constexpr std::uint8_t kFineVolumeSlideUp = 0xA;
inline constexpr std::uint8_t kFineVolumeSlideDown = 0xB;
inline constexpr std::uint8_t kNoteCut = 0xC;
inline constexpr std::uint8_t kNoteDelay = 0xD;
inline constexpr std::uint8_t kPatternDelay = 0xE;
}  // namespace extended_effect

// The volume column: 0x10..0x50 set the volume 0..64; from 0x60 on the high
// nibble is a command and the low nibble its value.
namespace volume_column {
inline constexpr std::uint8_t kFirstSetVolume = 0x10;
inline constexpr std::uint8_t kLastSetVolume = 0x50;
inline constexpr std::uint8_t kSlideDown = 0x6;
inline constexpr std::uint8_t kSlideUp = 0x7;
inline constexpr std::uint8_t kFineSlideDown = 0x8;
inline constexpr std::uint8_t kFineSlideUp = 0x9;
inline constexpr std::uint8_t kVibratoSpeed = 0xA;
inline constexpr std::uint8_t kVibratoDepth = 0xB;
inline constexpr std::uint8_t kSetPanning = 0xC;
inline constexpr std::uint8_t kPanningSlideLeft = 0xD;
inline constexpr std::uint8_t kPanningSlideRight = 0xE;
inline constexpr std::uint8_t kTonePortamento = 0xF;
}  // namespace volume_column

}  // namespace zumbrik
