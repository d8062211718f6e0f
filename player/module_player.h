#pragma once
#include <cstdint>

namespace zumbrik {

// PlayModule flags.
inline constexpr std::uint32_t MemorySource = 0x01;
inline constexpr std::uint32_t FileSource = 0x02;
inline constexpr std::uint32_t ResourceSource = 0x00;
inline constexpr std::uint32_t PlayOnce = 0x08;
inline constexpr std::uint32_t StartPaused = 0x10;

// The single background player. source is a memory address, a file name or a
// resource id, as the flags say; the result is non-zero when music plays.
std::uint32_t PlayModule(std::uintptr_t source, std::uintptr_t sizeOrModule, std::uint32_t flags);
void StopModule();
void PauseModule();
void ResumeModule();

// Whether the pause flag is set (for tools and tests; the game keeps its own MusicOn).
bool ModulePaused();

}  // namespace zumbrik
