#pragma once
#include <cstdint>
#include <vector>

namespace zumbrik {

inline constexpr std::uint32_t kWavBytesPerFrame = 4;  // 16-bit stereo
inline constexpr std::size_t kWavHeaderBytes = 44;
// The data size of a WAV streamed before its length is known: readers take
// the data to run to the end of the stream.
inline constexpr std::uint32_t kUnknownWavLength = 0xFFFFFFFF;

// The header of a 48 kHz 16-bit stereo PCM file with dataBytes of samples
// (kUnknownWavLength: both sizes say "unknown").
std::vector<char> WavHeader(std::uint32_t dataBytes);

// Samples as the file stores them: 16-bit little-endian.
std::vector<char> LittleEndianSamples(const std::int16_t* samples, std::uint32_t count);

}  // namespace zumbrik
