#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "platform/resource_lookup.h"

namespace zumbrik {
namespace {

std::vector<std::uint8_t> Counting(std::size_t size, std::uint8_t salt = 0) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + salt + i / 251);
    return bytes;
}

TEST(MemorySourceTest, ReadPastTheEndDeliversWhatIsLeftButAdvancesByTheCount) {
    const std::vector<std::uint8_t> bytes = Counting(100);
    ModuleSource source = MakeMemorySource(bytes.data(), 100);
    ASSERT_TRUE(source.Open());
    std::vector<std::uint8_t> first(60, 0xEE), second(60, 0xEE), third(10, 0xEE);
    source.Read(first.data(), 60);
    source.Read(second.data(), 60);
    EXPECT_EQ(source.position, 120);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + 40, bytes.begin() + 60));
    // Bytes not delivered leave the destination as it was.
    EXPECT_EQ(second[40], 0xEE);
    EXPECT_EQ(second[59], 0xEE);
    EXPECT_TRUE(source.Exhausted());
    source.Read(third.data(), 10);
    EXPECT_EQ(third, std::vector<std::uint8_t>(10, 0xEE));
    EXPECT_EQ(source.position, 130);
}

TEST(MemorySourceTest, SeekAcceptsZeroToSizeAndIgnoresTheRest) {
    const std::vector<std::uint8_t> bytes = Counting(100);
    ModuleSource source = MakeMemorySource(bytes.data(), 100);
    ASSERT_TRUE(source.Open());
    source.Seek(100, SeekMode::Absolute);
    EXPECT_EQ(source.position, 100);
    source.Seek(101, SeekMode::Absolute);
    EXPECT_EQ(source.position, 100);
    source.Seek(-30, SeekMode::Relative);
    EXPECT_EQ(source.position, 70);
    source.Seek(-71, SeekMode::Relative);
    EXPECT_EQ(source.position, 70);
    source.Seek(-1, SeekMode::Absolute);
    EXPECT_EQ(source.position, 70);
    // From past the end, a relative seek back within the size is taken.
    std::uint8_t sink[50];
    source.Read(sink, 50);
    EXPECT_EQ(source.position, 120);
    source.Seek(-25, SeekMode::Relative);
    EXPECT_EQ(source.position, 95);
    std::uint8_t byte = 0;
    source.Read(&byte, 1);
    EXPECT_EQ(byte, bytes[95]);
}

TEST(ResourceSourceTest, LooksUpTheTableAndAMissingResourceHasSizeZero) {
    static const std::uint8_t theme[] = {1, 2, 3, 4, 5};
    const ResourceEntry entries[] = {{1, theme, sizeof theme}, {7, theme + 1, 2}};
    EXPECT_EQ(FindResourceInTable(entries, 2, 1, 0).data, theme);
    EXPECT_EQ(FindResourceInTable(entries, 2, 7, 0).size, 2u);
    EXPECT_EQ(FindResourceInTable(entries, 2, 2, 0).data, nullptr);
    EXPECT_EQ(FindResourceInTable(entries, 2, 1, 0x1234).data, nullptr);  // another module has none

    ModuleSource missing = MakeResourceSource(0x7777, 0);
    ASSERT_TRUE(missing.Open());
    EXPECT_EQ(missing.size, 0);
    std::uint8_t byte = 0x55;
    missing.Read(&byte, 1);
    EXPECT_EQ(byte, 0x55);
}

class FileSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() /
                 ("zumbrik_source_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                    .string();
    }
    void TearDown() override { std::filesystem::remove(path_); }

    void WriteFile(const std::vector<std::uint8_t>& bytes) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }

    std::string path_;
    std::uint8_t cache_[kFileCacheBlock] = {};
};

// The cache is observed by rewriting the file under the open source: bytes
// served from the cache keep the old contents, bytes read from the file show the new.
TEST_F(FileSourceTest, LargeReadTakesTheCachedHeadThenDirectBlocksThenCachesTheTail) {
    const std::vector<std::uint8_t> a = Counting(40000, 1), b = Counting(40000, 2), c = Counting(40000, 3);
    WriteFile(a);
    ModuleSource source = MakeFileSource(path_.c_str(), cache_);
    ASSERT_TRUE(source.Open());
    EXPECT_EQ(source.cacheStart, kNothingCached);
    std::vector<std::uint8_t> header(336);
    source.Read(header.data(), 336);
    EXPECT_EQ(source.cacheStart, 0);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), a.begin()));

    WriteFile(b);
    source.Seek(100, SeekMode::Absolute);
    std::vector<std::uint8_t> big(20000);
    source.Read(big.data(), 20000);
    EXPECT_EQ(source.position, 20100);
    EXPECT_EQ(source.cacheStart, 16384);
    EXPECT_TRUE(std::equal(big.begin(), big.begin() + 8092, a.begin() + 100));          // from the cache
    EXPECT_TRUE(std::equal(big.begin() + 8092, big.begin() + 16284, b.begin() + 8192)); // direct
    EXPECT_TRUE(std::equal(big.begin() + 16284, big.end(), b.begin() + 16384));         // 3716 via the new block

    WriteFile(c);
    std::uint8_t byte = 0;
    source.Read(&byte, 1);  // still in the block at 16384
    EXPECT_EQ(byte, b[20100]);
    source.Seek(8192, SeekMode::Absolute);
    source.Read(&byte, 1);
    EXPECT_EQ(byte, c[8192]);
    EXPECT_EQ(source.cacheStart, 8192);
    source.Close();
}

TEST_F(FileSourceTest, OneByteReadsAcrossABlockBoundary) {
    const std::vector<std::uint8_t> a = Counting(20000, 4), b = Counting(20000, 5);
    WriteFile(a);
    ModuleSource source = MakeFileSource(path_.c_str(), cache_);
    ASSERT_TRUE(source.Open());
    std::uint8_t byte = 0;
    source.Read(&byte, 1);
    WriteFile(b);
    source.Seek(8191, SeekMode::Absolute);
    source.Read(&byte, 1);
    EXPECT_EQ(byte, a[8191]);
    EXPECT_EQ(source.cacheStart, 0);
    source.Read(&byte, 1);
    EXPECT_EQ(byte, b[8192]);
    EXPECT_EQ(source.cacheStart, 8192);
    source.Close();
}

TEST_F(FileSourceTest, AFirstReadAfterASeekDoesNotHitTheUnfilledCache) {
    const std::vector<std::uint8_t> a = Counting(10000, 7);
    WriteFile(a);
    std::fill(std::begin(cache_), std::end(cache_), 0xEE);
    ModuleSource source = MakeFileSource(path_.c_str(), cache_);
    ASSERT_TRUE(source.Open());
    source.Seek(5, SeekMode::Absolute);
    std::uint8_t bytes[4] = {};
    source.Read(bytes, 4);
    EXPECT_TRUE(std::equal(bytes, bytes + 4, a.begin() + 5));
    EXPECT_EQ(source.cacheStart, 0);
    source.Close();
}

TEST_F(FileSourceTest, DeliversZerosPastTheEndOfTheFile) {
    WriteFile(Counting(10000, 6));
    ModuleSource source = MakeFileSource(path_.c_str(), cache_);
    ASSERT_TRUE(source.Open());
    source.Seek(9990, SeekMode::Absolute);
    std::vector<std::uint8_t> tail(30000, 0xEE);
    source.Read(tail.data(), 30000);
    const std::vector<std::uint8_t> expected = Counting(10000, 6);
    EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 10, expected.begin() + 9990));
    EXPECT_EQ(std::count(tail.begin() + 10, tail.end(), 0), 29990);
    // Far past any file offset the source still terminates and delivers zeros.
    source.Seek(0xFFFFFF00, SeekMode::Absolute);
    std::vector<std::uint8_t> far(1000, 0xEE);
    source.Read(far.data(), 1000);
    EXPECT_EQ(std::count(far.begin(), far.end(), 0), 1000);
    source.Close();
}

TEST_F(FileSourceTest, AFileThatCannotBeOpenedFailsTheOpen) {
    const std::string missing = path_ + "_missing";
    ModuleSource source = MakeFileSource(missing.c_str(), cache_);
    EXPECT_FALSE(source.Open());
    source.Close();  // harmless
}

}  // namespace
}  // namespace zumbrik
