#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "player/song/module_arena.h"
#include "player/song/song_records.h"
#include "player/formats/xm_layout.h"

namespace zumbrik {

// A module loaded from a file for one subcommand, with the memory it lives in.
struct LoadedModule {
    ModuleArena arena;
    Song song{};
    // The file's first bytes: the header texts the loader does not keep.
    std::array<char, xm::kHeaderSize> leadingBytes{};
    // The file ends before the data its headers describe (loaded as silence).
    bool cutShort = false;
};

// Loads the module at path, "-" being standard input and a pipe or device
// being read whole; on failure writes the tool's one-line error,
// "zumbrik-xm: PATH: REASON", and returns null. A module cut short loads
// with a one-line warning.
std::unique_ptr<LoadedModule> LoadModuleFile(const std::string& path, std::ostream& err);

// How the tool names a path in its messages: "-" is standard input.
std::string InputName(const std::string& path);

}  // namespace zumbrik
