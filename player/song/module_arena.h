#pragma once
#include <cstddef>

namespace zumbrik {

// The private heap every module record comes from: zero-filled blocks that are
// freed all at once. The cap bounds the whole module, so a file that claims
// gigabytes of samples fails to load instead of exhausting memory.
class ModuleArena {
public:
    static constexpr std::size_t kDefaultCap = std::size_t{256} << 20;

    explicit ModuleArena(std::size_t capBytes = kDefaultCap) : cap_(capBytes) {}
    ~ModuleArena() { Release(); }
    ModuleArena(const ModuleArena&) = delete;
    ModuleArena& operator=(const ModuleArena&) = delete;

    // A zero-filled block aligned for any record, or nullptr when the block
    // would take the total past the cap or the system has no memory left.
    void* Allocate(std::size_t bytes);

    // Frees every block; the arena can be used again afterwards.
    void Release();

    std::size_t BytesAllocated() const { return used_; }
    std::size_t Cap() const { return cap_; }

private:
    struct Block;
    Block* blocks_ = nullptr;
    std::size_t used_ = 0;
    std::size_t cap_;
};

}  // namespace zumbrik
