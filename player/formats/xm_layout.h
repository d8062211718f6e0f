#pragma once
#include <cstddef>
#include <cstdint>

namespace zumbrik::xm {

// The XM file's layout: byte offsets within each header, their sizes and
// flag bits. Numbers are little-endian. The loader, the writer and the
// tool's `info` read and write the file through these names.

// File header: fixed fields, then the order table; its size field counts
// from kHeaderSizeBase, and the first pattern follows where it says.
inline constexpr char kIdText[] = "Extended Module: ";
inline constexpr std::size_t kIdTextBytes = 17;
inline constexpr std::size_t kModuleName = 17;  // 20 bytes
inline constexpr std::size_t kModuleNameBytes = 20;
inline constexpr std::size_t kNameEnd = 37;  // the byte 0x1A
inline constexpr std::uint8_t kNameEndByte = 0x1A;
inline constexpr std::size_t kTrackerName = 38;  // 20 bytes
inline constexpr std::size_t kTrackerNameBytes = 20;
inline constexpr std::size_t kVersion = 58;      // 16 bits
inline constexpr std::size_t kHeaderSize = 60;   // 32 bits
inline constexpr std::size_t kHeaderSizeBase = 60;
inline constexpr std::size_t kSongLength = 64;   // 16 bits
inline constexpr std::size_t kRestartPosition = 66;
inline constexpr std::size_t kChannelCount = 68;  // 16 bits; the player reads the low byte
inline constexpr std::size_t kPatternCount = 70;
inline constexpr std::size_t kInstrumentCount = 72;  // 16 bits; the player reads the low byte
inline constexpr std::size_t kFlags = 74;
inline constexpr std::size_t kTempo = 76;  // ticks per row
inline constexpr std::size_t kBpm = 78;
inline constexpr std::size_t kOrderTable = 80;
inline constexpr std::size_t kOrderTableBytes = 256;
inline constexpr std::size_t kFileHeaderBytes = kOrderTable + kOrderTableBytes;  // 336
inline constexpr std::uint16_t kLinearFrequencies = 0x0001;  // in kFlags

// Pattern header, then the packed cells.
inline constexpr std::size_t kPatternHeaderLength = 0;  // 32 bits
inline constexpr std::size_t kPatternPacking = 4;
inline constexpr std::size_t kPatternRows = 5;        // 16 bits
inline constexpr std::size_t kPatternPackedSize = 7;  // 16 bits; 0: no cells
inline constexpr std::size_t kPatternHeaderBytes = 9;

// A packed cell starts with kCellPacked | the fields present, in order note,
// instrument, volume, effect, parameter; any other first byte is the note of
// a cell with all five bytes.
inline constexpr std::uint8_t kCellPacked = 0x80;
inline constexpr std::uint8_t kCellNote = 0x01;
inline constexpr std::uint8_t kCellInstrument = 0x02;
inline constexpr std::uint8_t kCellVolume = 0x04;
inline constexpr std::uint8_t kCellEffect = 0x08;
inline constexpr std::uint8_t kCellParam = 0x10;
inline constexpr std::size_t kCellBytes = 5;

// Instrument header. Its size field counts from the instrument's start; the
// block up to the sample header size is always there, the details follow
// only in an instrument with samples.
inline constexpr std::size_t kInstrumentHeaderSize = 0;  // 32 bits
inline constexpr std::size_t kInstrumentName = 4;        // 22 bytes
inline constexpr std::size_t kInstrumentNameBytes = 22;
inline constexpr std::size_t kInstrumentType = 26;
inline constexpr std::size_t kSampleCount = 27;       // 16 bits; the player reads the low byte
inline constexpr std::size_t kSampleHeaderSize = 29;  // 32 bits
inline constexpr std::size_t kInstrumentBlockBytes = 33;
inline constexpr std::size_t kKeymap = 33;  // 96 sample numbers
inline constexpr std::size_t kKeymapBytes = 96;
inline constexpr std::size_t kVolumeEnvelope = 129;   // 12 points of x, y (16 bits each)
inline constexpr std::size_t kPanningEnvelope = 177;
inline constexpr std::size_t kEnvelopePointBytes = 4;
inline constexpr std::size_t kVolumePointCount = 225;
inline constexpr std::size_t kPanningPointCount = 226;
inline constexpr std::size_t kVolumeSustain = 227;
inline constexpr std::size_t kVolumeLoopStart = 228;
inline constexpr std::size_t kVolumeLoopEnd = 229;
inline constexpr std::size_t kPanningSustain = 230;
inline constexpr std::size_t kPanningLoopStart = 231;
inline constexpr std::size_t kPanningLoopEnd = 232;
inline constexpr std::size_t kVolumeType = 233;
inline constexpr std::size_t kPanningType = 234;
inline constexpr std::size_t kVibratoType = 235;
inline constexpr std::size_t kVibratoSweep = 236;
inline constexpr std::size_t kVibratoDepth = 237;
inline constexpr std::size_t kVibratoRate = 238;
inline constexpr std::size_t kFadeout = 239;  // 16 bits
inline constexpr std::size_t kInstrumentDetailsEnd = 241;
inline constexpr std::size_t kInstrumentHeaderBytes = 263;  // with the reserved bytes

// Sample header, one per sample of the instrument, then every sample's data.
inline constexpr std::size_t kSampleLength = 0;  // 32 bits, in bytes
inline constexpr std::size_t kSampleLoopStart = 4;
inline constexpr std::size_t kSampleLoopLength = 8;
inline constexpr std::size_t kSampleVolume = 12;
inline constexpr std::size_t kSampleFinetune = 13;
inline constexpr std::size_t kSampleType = 14;
inline constexpr std::size_t kSamplePanning = 15;
inline constexpr std::size_t kSampleRelativeNote = 16;
inline constexpr std::size_t kSamplePacking = 17;
inline constexpr std::size_t kSampleName = 18;  // 22 bytes
inline constexpr std::size_t kSampleNameBytes = 22;
inline constexpr std::size_t kSampleHeaderBytes = 40;
inline constexpr std::uint8_t kSampleLoopBits = 0x03;  // in kSampleType: 0 none, 1 forward, 2 ping-pong
inline constexpr std::uint8_t kSample16Bit = 0x10;
inline constexpr std::uint8_t kPacked4Bit = 0xAD;  // kSamplePacking: a 16-byte delta table, then nibbles

}  // namespace zumbrik::xm
