#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "player/song/loaded_song.h"

namespace zumbrik {

// A module loaded from a file for one subcommand.
struct ModuleFile {
    std::shared_ptr<const LoadedSong> loaded;
    // The file's bytes, when asked to keep them: what a player is handed.
    std::vector<std::uint8_t> bytes;
    // The file's first bytes, for what the song records do not carry (the
    // format's version number).
    std::array<std::uint8_t, 64> leadingBytes{};

    const Song& song() const { return loaded->song; }
    // The file ends before the data its headers describe (loaded as silence).
    bool CutShort() const { return (loaded->song.warnings & kSongTruncated) != 0; }
};

// Loads the module at path, "-" being standard input and a pipe or device
// being read whole; on failure writes the tool's one-line error,
// "zumbrik-xm: PATH: REASON", and returns null. A module cut short loads
// with a one-line warning. keepBytes reads a regular file whole as well and
// keeps what was read. Standard input is read once: later loads of "-" in
// the same run get the same bytes.
std::unique_ptr<ModuleFile> LoadModuleFile(const std::string& path, std::ostream& err, bool keepBytes = false);

// How the tool names a path in its messages: "-" is standard input.
std::string InputName(const std::string& path);

// A name from a module, fit for a terminal: every byte outside printable
// ASCII (control bytes, and text in a code page the terminal may not share)
// shows as '?'; trailing spaces are cut.
std::string PrintableName(const char* name);

}  // namespace zumbrik
