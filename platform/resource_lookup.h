#pragma once
#include <cstddef>
#include <cstdint>

namespace zumbrik {

// The bytes of one embedded resource of type RCDATA.
struct ResourceBytes {
    const std::uint8_t* data;
    std::uint32_t size;
};

// Finds resource `id` in `module` (0 = the program itself); {nullptr, 0} when
// there is none. Each program links one provider: the program's resource
// section on Windows, elsewhere a table the build generates (the game's in
// resources/, an empty one from platform/ for programs that carry none).
ResourceBytes FindResourceData(std::uintptr_t id, std::uintptr_t module);

// One entry of a generated resource table.
struct ResourceEntry {
    std::uintptr_t id;
    const std::uint8_t* data;
    std::uint32_t size;
};

// The lookup over a table: only the program itself (module 0) has resources.
inline ResourceBytes FindResourceInTable(const ResourceEntry* entries, std::size_t count, std::uintptr_t id,
                                         std::uintptr_t module) {
    if (module != 0) return {nullptr, 0};
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].id == id) return {entries[i].data, entries[i].size};
    }
    return {nullptr, 0};
}

}  // namespace zumbrik
