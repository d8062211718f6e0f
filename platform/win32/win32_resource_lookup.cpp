#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/resource_lookup.h"

namespace zumbrik {

// The program's own resources (zumbrik.rc), or those of another loaded
// module. `id` is an integer id or the address of a resource name.
ResourceBytes FindResourceData(std::uintptr_t id, std::uintptr_t module) {
    HMODULE owner = reinterpret_cast<HMODULE>(module);
    HRSRC found = ::FindResourceA(owner, reinterpret_cast<LPCSTR>(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr) return {nullptr, 0};
    HGLOBAL loaded = ::LoadResource(owner, found);
    if (loaded == nullptr) return {nullptr, 0};
    const auto* data = static_cast<const std::uint8_t*>(::LockResource(loaded));
    return {data, static_cast<std::uint32_t>(::SizeofResource(owner, found))};
}

}  // namespace zumbrik
