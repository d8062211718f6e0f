#pragma once
#include <cstddef>
#include <cstdint>

namespace zumbrik::s3m {

// The S3M file's layout. Numbers are little-endian; a "parapointer" is a
// file offset divided by 16. The loader, the probe and the tests' writer use
// these.
inline constexpr std::size_t kTitle = 0;  // 28 bytes
inline constexpr std::size_t kTitleBytes = 28;
inline constexpr std::size_t kEndOfText = 28;  // 0x1A
inline constexpr std::size_t kFileType = 29;   // 16
inline constexpr std::uint8_t kModuleType = 16;
inline constexpr std::size_t kOrderCount = 32;       // 16 bits
inline constexpr std::size_t kInstrumentCount = 34;  // 16 bits
inline constexpr std::size_t kPatternCount = 36;     // 16 bits
inline constexpr std::size_t kFlags = 38;            // 16 bits
inline constexpr std::size_t kTrackerVersion = 40;   // 16 bits
inline constexpr std::size_t kSampleFormat = 42;     // 1 signed, 2 unsigned
inline constexpr std::size_t kTag = 44;              // "SCRM"
inline constexpr std::size_t kGlobalVolume = 48;     // 0..64
inline constexpr std::size_t kSpeed = 49;            // ticks per row
inline constexpr std::size_t kTempo = 50;            // BPM
inline constexpr std::size_t kMasterVolume = 51;     // bit 7: stereo
inline constexpr std::size_t kDefaultPanning = 53;   // kPanningPresent: a panning table follows
inline constexpr std::size_t kChannelSettings = 64;  // 32 bytes
inline constexpr std::size_t kOrders = 96;
inline constexpr std::size_t kHeaderBytes = 96;
inline constexpr std::uint8_t kPanningPresent = 252;
inline constexpr std::uint16_t kFastVolumeSlides = 0x40;  // in kFlags
inline constexpr std::uint16_t kAmigaLimits = 0x10;
// The first tracker version (3.00) slid volumes on every tick.
inline constexpr std::uint16_t kVersionWithFastSlides = 0x1300;
inline constexpr std::uint8_t kStereo = 0x80;

// Channel settings: bit 7 off; 0..7 left, 8..15 right, 16..31 synthesised.
inline constexpr std::uint8_t kChannelDisabled = 0x80;
inline constexpr std::uint8_t kFirstRightChannel = 8;
inline constexpr std::uint8_t kFirstSynthChannel = 16;
inline constexpr int kChannels = 32;
inline constexpr std::uint8_t kPanningSet = 0x20;  // in a panning table entry, with the pan in the low nibble

// Orders: 254 is a marker to skip, 255 ends the song.
inline constexpr std::uint8_t kMarkerOrder = 254;
inline constexpr std::uint8_t kEndOrder = 255;

// Instrument (sample) header, 80 bytes.
inline constexpr std::size_t kInstrumentType = 0;  // 1 sample, 2..7 synthesised
inline constexpr std::uint8_t kSampleType = 1;
inline constexpr std::size_t kDataPointer = 13;  // 3 bytes: high byte, then the low 16 bits
inline constexpr std::size_t kLength = 16;       // 32 bits, in frames
inline constexpr std::size_t kLoopStart = 20;
inline constexpr std::size_t kLoopEnd = 24;
inline constexpr std::size_t kVolume = 28;
inline constexpr std::size_t kPacking = 30;  // 0 plain PCM
inline constexpr std::size_t kSampleFlags = 31;
inline constexpr std::size_t kC2Speed = 32;  // 32 bits: Hz of C-4
inline constexpr std::size_t kSampleName = 48;  // 28 bytes
inline constexpr std::size_t kSampleNameBytes = 28;
inline constexpr std::size_t kInstrumentBytes = 80;
inline constexpr std::uint8_t kLooped = 0x01;  // in kSampleFlags
inline constexpr std::uint8_t kStereoSample = 0x02;
inline constexpr std::uint8_t k16Bit = 0x04;

// A pattern: its packed size (16 bits, counting itself), then 64 rows, each
// a run of entries ended by a 0 byte. An entry's first byte holds the
// channel (low 5 bits) and which fields follow.
inline constexpr int kRows = 64;
inline constexpr std::uint8_t kEntryChannel = 0x1F;
inline constexpr std::uint8_t kEntryNote = 0x20;    // note, instrument
inline constexpr std::uint8_t kEntryVolume = 0x40;  // volume
inline constexpr std::uint8_t kEntryEffect = 0x80;  // effect letter (1 = A), parameter
inline constexpr std::uint8_t kNoNote = 255;
inline constexpr std::uint8_t kNoteCut = 254;

}  // namespace zumbrik::s3m
