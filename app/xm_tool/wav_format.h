#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zumbrik {

// The rate the tool renders and plays at unless told otherwise, and the
// rates it can render at.
inline constexpr std::uint32_t kDefaultRate = 48000;
inline constexpr std::uint32_t kLowestRate = 8000;
inline constexpr std::uint32_t kHighestRate = 192000;

// The data size of a WAV streamed before its length is known: readers take
// the data to run to the end of the stream.
inline constexpr std::uint32_t kUnknownWavLength = 0xFFFFFFFF;

// What a WAV holds: stereo frames at a rate, as 16-bit integers or 32-bit floats.
struct WavFormat {
    std::uint32_t rate = kDefaultRate;
    bool isFloat = false;

    std::uint32_t BytesPerFrame() const { return isFloat ? 8 : 4; }
    // A float file carries the longer format chunk and a fact chunk.
    std::size_t HeaderBytes() const { return isFloat ? 58 : 44; }
};

// The header of a WAV with dataBytes of samples (kUnknownWavLength: every
// size in it says "unknown").
std::vector<char> WavHeader(const WavFormat& format, std::uint32_t dataBytes);

// Samples as the file stores them: little-endian.
std::vector<char> LittleEndianSamples(const std::int16_t* samples, std::uint32_t count);
std::vector<char> LittleEndianSamples(const float* samples, std::uint32_t count);

}  // namespace zumbrik
