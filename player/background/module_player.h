#pragma once
#include <cstdint>

#include "player/song/load_result.h"
#include "platform/wave_device.h"

namespace zumbrik {

// PlayModule flags.
inline constexpr std::uint32_t MemorySource = 0x01;
inline constexpr std::uint32_t FileSource = 0x02;
inline constexpr std::uint32_t ResourceSource = 0x00;
// One pass of the song as the song scan finds its end, then silence; a song
// whose end the scan cannot find ends once it runs off its last order.
inline constexpr std::uint32_t PlayOnce = 0x08;
inline constexpr std::uint32_t StartPaused = 0x10;

// How a start went.
enum class StartStatus : std::uint8_t {
    Playing,
    NotLoaded,      // the module did not load: StartResult::load says why
    NoDevice,       // no wave device installed, or it did not open or take the buffer
    NoMemory,       // no memory or no thread for the song
    NothingToPlay,  // a source of 0: the music stops and nothing starts
};

struct StartResult {
    StartStatus status = StartStatus::NothingToPlay;
    LoadResult load = LoadResult::Loaded;
};

// Every function here may be called from any thread at any time; starts,
// stops and device changes take turns, the rest never wait.

// The single background player. source is a memory address, a file name or a
// resource id, as the flags say. The module is loaded before the device is
// opened, so a module that does not load is told apart from a machine
// without sound. Whatever played before is stopped first.
StartResult StartModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags);
// The same for the game: non-zero when music plays.
std::uint32_t PlayModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags);
void StopModule();
void PauseModule();
void ResumeModule();

// Whether the pause flag is set (for tools and tests; the game keeps its own MusicOn).
bool ModulePaused();
// True from a successful start until the stop, or until a song played once
// has been heard to its end.
bool ModulePlaying();

// Level 0..25 (above 25 counts as 25): 2 dB steps down from unity at 25; 0 is
// practically mute. Applies from the next rendered segment.
void SetMasterVolume(std::uint32_t level);
// Continues at row 0 of the given order (0 when past the song's end) from the next row start.
void JumpToOrder(std::uint32_t order);
// For the segment now heard: (left mean level << 16) | right mean level.
std::uint32_t GetPlayingLevels();
// For the segment now heard: (order index << 16) | row of its first frame.
std::uint32_t GetPlayingPosition();
// Milliseconds of the song heard so far, up to the segment now heard (not
// counting paused stretches): counted in frames, so it agrees with the
// position to within one segment.
std::uint32_t GetElapsedMs();

// For tools: songs started from now on end once instead of looping, after
// `rows` row starts (a song scan's pass) or, after a JumpToOrder, once the
// row at endPosition ((order << 16) | row) has played; silence follows.
// 0 rows: songs loop again, unless started with PlayOnce. Stops the music.
void EndSongsAfter(std::uint32_t rows, std::uint32_t endPosition);
// True once the segment now heard lies wholly after a song's end.
bool PlayingPastSongEnd();

// Chooses the wave device the player plays through (null: none). Stops the
// music first. The device must stay alive while the player may use it: until
// it is replaced here, or for good (the player stops itself at exit, before
// static objects created earlier than this call are destroyed).
void UseWaveDevice(WaveDevice* device);

}  // namespace zumbrik
