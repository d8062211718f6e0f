#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "player/module_arena.h"
#include "player/player_records.h"

namespace zumbrik {

// A module loaded from a file for one subcommand, with the memory it lives in.
struct LoadedModule {
    ModuleArena arena;
    PlayerState state{};
};

// Loads the module at path; on failure writes the tool's one-line error,
// "zumbrik-xm: PATH: REASON", and returns null.
std::unique_ptr<LoadedModule> LoadModuleFile(const std::string& path, std::ostream& err);

}  // namespace zumbrik
