#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zumbrik {

// Builds XM module bytes from a small description. Used by tests, the fuzz seed
// generator and the theme composer; never linked into the game. Every field
// that a hostile or unusual file could carry has a knob (the optional "...Field"
// members write a raw value instead of the one derived from the description).

struct XmCell {
    std::uint8_t note = 0;  // 0 none, 1..96, 97 key-off
    std::uint8_t instrument = 0;
    std::uint8_t volume = 0;
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

enum class XmPatternEncoding {
    Packed,    // 0x80 | mask, then the present fields (all five present: the plain 5 bytes)
    Unpacked,  // always the plain 5 bytes
    NoData,    // packed size 0 and no data, whatever the cells say
};

struct XmPattern {
    std::uint16_t rows = 64;
    std::vector<XmCell> cells;  // rows x channels, row-major; missing cells are empty
    XmPatternEncoding encoding = XmPatternEncoding::Packed;
    std::uint32_t headerLength = 9;              // written in the header (data still follows 9 bytes)
    std::optional<std::uint16_t> packedSizeField;  // default: the size of the data written
};

struct XmEnvelopePoint {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

struct XmEnvelope {
    std::array<XmEnvelopePoint, 12> points{};
    std::uint8_t pointCount = 0;
    std::uint8_t sustain = 0;
    std::uint8_t loopStart = 0;
    std::uint8_t loopEnd = 0;
    std::uint8_t type = 0;  // bit 0 on, bit 1 sustain, bit 2 loop
};

struct XmSample {
    // 8-bit samples: -128..127; 16-bit samples: -32768..32767.
    std::vector<std::int32_t> values;
    bool is16Bit = false;
    bool packed4Bit = false;  // 0xAD: delta table + nibbles (8-bit values only)
    // The 16 deltas of a 0xAD sample; values are approximated greedily with them.
    std::array<std::int8_t, 16> deltaTable{0, 1, 2, 4, 8, 16, 32, 64, -128, -64, -32, -16, -8, -4, -2, -1};
    std::uint32_t loopStart = 0;   // frames
    std::uint32_t loopLength = 0;  // frames
    std::uint8_t loopType = 0;     // 0 none, 1 forward, 2 ping-pong (3 allowed)
    std::uint8_t volume = 64;
    std::int8_t finetune = 0;
    std::uint8_t panning = 128;
    std::int8_t relativeNote = 0;
    std::string name;
    // Raw header fields, in bytes as the file stores them.
    std::optional<std::uint32_t> lengthField;
    std::optional<std::uint32_t> loopStartField;
    std::optional<std::uint32_t> loopLengthField;
    std::optional<std::uint8_t> typeField;
    std::optional<std::uint8_t> packingField;
    std::optional<std::vector<std::uint8_t>> rawData;  // written instead of the encoded values
};

struct XmInstrument {
    std::string name;
    std::uint8_t type = 0;
    std::array<std::uint8_t, 96> keymap{};
    XmEnvelope volumeEnvelope;
    XmEnvelope panningEnvelope;
    std::uint8_t vibratoType = 0;
    std::uint8_t vibratoSweep = 0;
    std::uint8_t vibratoDepth = 0;
    std::uint8_t vibratoRate = 0;
    std::uint16_t fadeout = 0;  // as in the file
    std::vector<XmSample> samples;
    std::uint32_t headerSize = 263;        // bytes of the 263-byte header image written (zero-padded past it)
    std::uint32_t sampleHeaderSize = 40;   // bytes of each 40-byte sample header written (zero-padded past it)
    std::optional<std::uint16_t> sampleCountField;
};

struct XmModule {
    std::string name = "zumbrik test";
    std::string trackerName = "zumbrik-xm";
    std::uint16_t version = 0x0104;
    std::uint32_t headerSize = 276;  // from offset 60; smaller values let the patterns overlap the order table
    std::uint16_t restartPosition = 0;
    std::uint16_t channels = 4;  // the high byte is written too
    std::uint16_t flags = 1;     // bit 0: linear frequency table
    std::uint16_t tempo = 6;
    std::uint16_t bpm = 125;
    std::vector<std::uint8_t> orders{0};  // at most 256 are written
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
    std::optional<std::uint16_t> songLengthField;      // default: orders.size()
    std::optional<std::uint16_t> patternCountField;    // default: patterns.size()
    std::optional<std::uint16_t> instrumentCountField; // default: instruments.size()
};

// The module as an XM file image.
std::vector<std::uint8_t> WriteXm(const XmModule& module);

// The bytes of one pattern's cell data in the given encoding (channels cells per row).
std::vector<std::uint8_t> EncodePatternCells(const XmPattern& pattern, std::uint16_t channels);

// The 0xAD image of 8-bit values (table, then nibbles, low nibble first) and the
// 8-bit values a reader decodes from it, which differ where a step is not in the table.
struct Packed4BitSample {
    std::vector<std::uint8_t> bytes;
    std::vector<std::int8_t> decoded;
};
Packed4BitSample EncodePacked4Bit(const std::vector<std::int32_t>& values,
                                  const std::array<std::int8_t, 16>& deltaTable);

}  // namespace zumbrik
