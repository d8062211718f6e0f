#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "player/song/module_arena.h"

namespace zumbrik {
namespace {

TEST(ModuleArenaTest, BlocksAreZeroFilledAlignedAndCapped) {
    ModuleArena arena(1000);
    auto* first = static_cast<std::uint8_t*>(arena.Allocate(600));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % alignof(std::max_align_t), 0u);
    for (int i = 0; i < 600; ++i) ASSERT_EQ(first[i], 0) << i;
    EXPECT_EQ(arena.Allocate(401), nullptr);  // would pass the cap
    EXPECT_NE(arena.Allocate(400), nullptr);  // exactly reaches it
    EXPECT_EQ(arena.Allocate(1), nullptr);
    EXPECT_EQ(arena.BytesAllocated(), 1000u);
    arena.Release();
    EXPECT_EQ(arena.BytesAllocated(), 0u);
    EXPECT_NE(arena.Allocate(1000), nullptr);
}

TEST(ModuleArenaTest, AClaimOfGigabytesFailsInsteadOfAllocating) {
    ModuleArena arena;
    EXPECT_EQ(arena.Allocate(std::size_t{3} << 30), nullptr);
    EXPECT_EQ(arena.Allocate(SIZE_MAX), nullptr);
    EXPECT_EQ(arena.BytesAllocated(), 0u);
}

}  // namespace
}  // namespace zumbrik
