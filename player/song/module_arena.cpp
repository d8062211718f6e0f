#include "player/song/module_arena.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace zumbrik {

// Each block starts with the link to the block allocated before it; the header
// is padded so that the payload keeps the strictest alignment.
struct alignas(std::max_align_t) ModuleArena::Block {
    Block* next;
};

void* ModuleArena::Allocate(std::size_t bytes) {
    if (bytes > cap_ - used_ || bytes > SIZE_MAX - sizeof(Block)) return nullptr;
    void* memory = std::calloc(1, sizeof(Block) + bytes);
    if (memory == nullptr) return nullptr;
    Block* block = new (memory) Block{blocks_};
    blocks_ = block;
    used_ += bytes;
    return block + 1;
}

void ModuleArena::Release() {
    while (blocks_ != nullptr) {
        Block* next = blocks_->next;
        std::free(blocks_);
        blocks_ = next;
    }
    used_ = 0;
}

}  // namespace zumbrik
