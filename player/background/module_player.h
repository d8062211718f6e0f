#pragma once
#include <cstdint>

#include "platform/wave_device.h"

namespace zumbrik {

// PlayModule flags.
inline constexpr std::uint32_t MemorySource = 0x01;
inline constexpr std::uint32_t FileSource = 0x02;
inline constexpr std::uint32_t ResourceSource = 0x00;
inline constexpr std::uint32_t PlayOnce = 0x08;
inline constexpr std::uint32_t StartPaused = 0x10;

// The single background player. source is a memory address, a file name or a
// resource id, as the flags say; the result is non-zero when music plays.
// With no wave device installed, or one that does not open, it returns 0 and
// nothing plays.
std::uint32_t PlayModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags);
void StopModule();
void PauseModule();
void ResumeModule();

// Whether the pause flag is set (for tools and tests; the game keeps its own MusicOn).
bool ModulePaused();

// Level 0..25 (above 25 counts as 25): 2 dB steps down from unity at 25; 0 is
// practically mute. Applies from the next rendered segment.
void SetMasterVolume(std::uint32_t level);
// Continues at row 0 of the given order (0 when past the song's end) from the next row start.
void JumpToOrder(std::uint32_t order);
// For the segment now playing: (left mean level << 16) | right mean level.
std::uint32_t GetPlayingLevels();
// For the segment now playing: (order index << 16) | row.
std::uint32_t GetPlayingPosition();
// Milliseconds of song rendered so far (not counting paused stretches).
std::uint32_t GetElapsedMs();

// For tools: songs started from now on end once instead of looping, after
// `rows` row starts (a song scan's pass) or, after a JumpToOrder, once the
// row at endPosition ((order << 16) | row) has played; silence follows.
// 0 rows: songs loop again. Applies to the next PlayModule.
void EndSongsAfter(std::uint32_t rows, std::uint32_t endPosition);
// True once the segment now playing lies wholly after such an end.
bool PlayingPastSongEnd();

// Chooses the wave device the player plays through (null: none). Stops the
// music first. The device must stay alive while the player may use it: until
// it is replaced here, or for good (the player stops itself at exit, before
// static objects created earlier than this call are destroyed).
void UseWaveDevice(WaveDevice* device);

}  // namespace zumbrik
