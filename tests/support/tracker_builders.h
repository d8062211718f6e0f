#pragma once
// MOD and S3M modules for tests and fuzz seeds, written byte for byte as
// those formats lay them out (player/formats/mod_layout.h, s3m_layout.h).
// Raw fields that a hostile or unusual file could carry have a knob.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zumbrik::test {

// --- MOD ---------------------------------------------------------------------

struct ModCell {
    std::uint16_t period = 0;  // 0: no note; 428 is C-2 (the engine's C-4)
    std::uint8_t sample = 0;
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct ModSample {
    std::string name;
    std::vector<std::int8_t> data;  // an even count is written; an odd one gets a 0
    std::uint8_t finetune = 0;      // the nibble as stored
    std::uint8_t volume = 64;
    std::uint32_t loopStart = 0;    // bytes
    std::uint32_t loopLength = 0;   // bytes; 2 or less: no loop
};

struct ModModule {
    std::string title = "zumbrik mod";
    std::string tag = "M.K.";  // empty: the old 15-sample layout without a tag
    int channels = 4;
    std::vector<std::uint8_t> orders{0};
    std::uint8_t restart = 127;
    std::vector<std::vector<ModCell>> patterns;  // 64 rows x channels each
    std::vector<ModSample> samples;              // up to 31 (15 without a tag)
    std::optional<std::uint8_t> songLengthField;
    std::size_t cutAt = 0;  // non-zero: the file ends after this many bytes
};

std::vector<std::uint8_t> WriteMod(const ModModule& module);

// 64 rows of `channels` cells; rows not given are empty.
std::vector<ModCell> ModPatternOf(int channels, std::vector<std::pair<int, std::vector<ModCell>>> filled);
// A looped square wave of `length` bytes, loud enough to hear every volume step.
ModSample ModSquare(std::uint32_t length = 64, bool looped = true);
// One square sample, the pattern given, the tag that names the channels.
ModModule ModSongOf(std::vector<std::pair<int, std::vector<ModCell>>> rows, int channels = 4);

// --- S3M ---------------------------------------------------------------------

struct S3mCell {
    std::uint8_t note = 255;  // 255 none, 254 cut, else octave << 4 | semitone
    std::uint8_t instrument = 0;
    int volume = -1;          // -1: none
    char effect = 0;          // 'A'..'Z', 0 none
    std::uint8_t param = 0;
};

struct S3mSample {
    std::string name;
    std::vector<std::int32_t> values;  // 8-bit -128..127 or 16-bit
    bool is16Bit = false;
    bool looped = false;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    std::uint8_t volume = 64;
    std::uint32_t c2Speed = 8363;
    std::uint8_t type = 1;  // 1 sample, 2 and up synthesised
    std::uint8_t packing = 0;
};

struct S3mModule {
    std::string title = "zumbrik s3m";
    std::uint8_t speed = 6;
    std::uint8_t tempo = 125;
    std::uint8_t globalVolume = 64;
    std::uint8_t masterVolume = 0xB0;  // bit 7: stereo
    std::uint16_t flags = 0;
    std::uint16_t version = 0x1320;
    std::uint8_t sampleFormat = 2;     // 1 signed, 2 unsigned
    std::vector<std::uint8_t> channelSettings{0, 8, 1, 9};  // the rest are off
    std::vector<std::uint8_t> panning;  // empty: no table
    std::vector<std::uint8_t> orders{0};
    std::vector<std::vector<S3mCell>> patterns;  // 64 rows x 32 channels each
    std::vector<S3mSample> samples;
    std::optional<std::uint16_t> instrumentCountField;
};

std::vector<std::uint8_t> WriteS3m(const S3mModule& module);

// 64 rows of 32 channels; rows not given are empty, a row's cells start at channel 0.
std::vector<S3mCell> S3mPatternOf(std::vector<std::pair<int, std::vector<S3mCell>>> filled);
S3mCell S3mNote(std::uint8_t note, std::uint8_t instrument, int volume = -1, char effect = 0, std::uint8_t param = 0);
S3mCell S3mEffect(char effect, std::uint8_t param);
// A looped square wave, 8-bit unless is16Bit.
S3mSample S3mSquare(std::uint32_t length = 64, bool is16Bit = false);
// Four channels, one square sample, the pattern given.
S3mModule S3mSongOf(std::vector<std::pair<int, std::vector<S3mCell>>> rows);

}  // namespace zumbrik::test
