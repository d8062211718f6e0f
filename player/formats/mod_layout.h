#pragma once
#include <cstddef>
#include <cstdint>

namespace zumbrik::mod {

// The MOD file's layout. Numbers are big-endian; lengths and loop points
// count 16-bit words. The loader, the probe and the tests' writer use these.
inline constexpr std::size_t kTitle = 0;  // 20 bytes
inline constexpr std::size_t kTitleBytes = 20;
inline constexpr std::size_t kSampleHeaders = 20;
inline constexpr std::size_t kSampleHeaderBytes = 30;
// Within a sample header.
inline constexpr std::size_t kSampleName = 0;  // 22 bytes
inline constexpr std::size_t kSampleNameBytes = 22;
inline constexpr std::size_t kSampleLength = 22;  // words
inline constexpr std::size_t kSampleFinetune = 24;  // low nibble, signed
inline constexpr std::size_t kSampleVolume = 25;    // 0..64
inline constexpr std::size_t kSampleLoopStart = 26;  // words
inline constexpr std::size_t kSampleLoopLength = 28;  // words; 1 or 0: no loop

// After the sample headers: the song length, a restart byte and 128 orders;
// 31-sample files then hold a 4-byte tag naming the channel count.
inline constexpr std::size_t kOrderCount = 128;
inline constexpr int kSamples = 31;
inline constexpr int kOldSamples = 15;  // the first files, without a tag
inline constexpr std::size_t SongLengthOffset(int samples) { return kSampleHeaders + samples * kSampleHeaderBytes; }
inline constexpr std::size_t OrdersOffset(int samples) { return SongLengthOffset(samples) + 2; }
inline constexpr std::size_t kTag = 1080;
inline constexpr std::size_t kTagBytes = 4;
inline constexpr std::size_t PatternsOffset(int samples) { return samples == kSamples ? kTag + kTagBytes : 600; }

// Patterns: 64 rows of 4 bytes per channel: sample high nibble and period
// (12 bits), sample low nibble and effect, parameter. Sample data follows
// the patterns, 8-bit signed, in sample order.
inline constexpr int kRows = 64;
inline constexpr std::size_t kCellBytes = 4;
inline constexpr int kMaxChannels = 32;

// ProTracker's periods span C-1 (856) to B-3 (113) at finetune 0; with
// finetune they reach from 907 down to 108.
inline constexpr int kLowestPeriod = 108;
inline constexpr int kHighestPeriod = 907;

}  // namespace zumbrik::mod
