#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "player/formats/song_loader.h"
#include "player/formats/xm_loader.h"
#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/engine/play_records.h"
#include "player/mixer/mix_buffer.h"
#include "player/play/offline_play.h"
#include "player/formats/song_loader.h"
#include "player/formats/xm_loader.h"

namespace zumbrik {
namespace {

// Real modules from game-data packages, gathered by scripts/fetch-corpus.sh.
std::filesystem::path CorpusDir() {
    if (const char* dir = std::getenv("ZUMBRIK_CORPUS_DIR")) return dir;
    return std::filesystem::path(ZUMBRIK_SOURCE_DIR) / ".cache" / "corpus" / "xm";
}

std::vector<std::filesystem::path> CorpusModules() {
    std::vector<std::filesystem::path> modules;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir(), error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && extension == ".xm") modules.push_back(entry.path());
    }
    std::sort(modules.begin(), modules.end());
    return modules;
}

// What every loaded module must satisfy for the sequencer and mixer to stay in bounds.
void ExpectSafeRecords(const Song& state) {
    ASSERT_GE(state.channelCount, 1);
    ASSERT_LE(state.channelCount, 64);
    for (int i = 0; i < state.songLength; ++i) ASSERT_LT(state.orderTable[i], state.patternCount);
    for (int p = 0; p < state.patternCount; ++p) {
        const PatternRecord& pattern = state.patterns[p];
        if (pattern.cells == nullptr) continue;
        ASSERT_LE(pattern.rows, 256);
        for (int i = 0; i < pattern.rows * state.channelCount; ++i) {
            ASSERT_LE(pattern.cells[i].instrument, state.instrumentCount);
        }
    }
    for (int i = 0; i < state.instrumentCount; ++i) {
        for (const SampleRecord* sample : state.instruments[i].samples) {
            if (sample == nullptr) continue;
            ASSERT_LT(sample->length, kMaxSampleFrames);
            ASSERT_LE(std::uint64_t{sample->loopStart} + sample->loopLength, sample->length);
        }
    }
}

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(LoaderCorpusTest, EveryModuleLoadsAlikeFromMemoryAndFromTheFile) {
    const std::vector<std::filesystem::path> modules = CorpusModules();
    if (modules.empty()) {
        GTEST_SKIP() << "no corpus modules in " << CorpusDir() << " (run scripts/fetch-corpus.sh)";
    }
    for (const std::filesystem::path& path : modules) {
        SCOPED_TRACE(path.filename().string());
        const std::vector<std::uint8_t> bytes = FileBytes(path);

        ModuleArena memoryArena;
        Song fromMemory{};
        ModuleSource memory = MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        ASSERT_EQ(LoadModule(memory, memoryArena, fromMemory), LoadResult::Loaded);
        memory.Close();
        ExpectSafeRecords(fromMemory);

        auto cache = std::make_unique<std::uint8_t[]>(kFileCacheBlock);
        ModuleArena fileArena;
        Song fromFile{};
        const std::string name = path.string();
        ModuleSource source = MakeFileSource(name.c_str(), cache.get());
        ASSERT_EQ(LoadModule(source, fileArena, fromFile), LoadResult::Loaded);
        source.Close();
        ASSERT_EQ(fromFile.patternCount, fromMemory.patternCount);
        ASSERT_EQ(fromFile.instrumentCount, fromMemory.instrumentCount);
        EXPECT_EQ(fileArena.BytesAllocated(), memoryArena.BytesAllocated());
        for (int i = 0; i < fromFile.instrumentCount; ++i) {
            for (int s = 0; s < kInstrumentSamples; ++s) {
                const SampleRecord* a = fromFile.instruments[i].samples[s];
                const SampleRecord* b = fromMemory.instruments[i].samples[s];
                ASSERT_EQ(a == nullptr, b == nullptr);
                if (a == nullptr) continue;
                ASSERT_EQ(a->length, b->length);
                ASSERT_TRUE(std::equal(a->data, a->data + a->length + 1, b->data)) << i << "/" << s;
            }
        }
    }
}

TEST(LoaderCorpusTest, EveryModulePlaysOnePassToItsEndAndIsHeard) {
    const std::vector<std::filesystem::path> modules = CorpusModules();
    if (modules.empty()) {
        GTEST_SKIP() << "no corpus modules in " << CorpusDir() << " (run scripts/fetch-corpus.sh)";
    }
    constexpr std::uint64_t kTenMinutes = std::uint64_t{10} * 60 * kOutputRate;
    for (const std::filesystem::path& path : modules) {
        SCOPED_TRACE(path.filename().string());
        const std::vector<std::uint8_t> bytes = FileBytes(path);
        const SongLoad load = LoadSongFromMemory(bytes.data(), bytes.size());
        ASSERT_EQ(load.result, LoadResult::Loaded);
        OfflinePlay pass(load.song);
        std::int16_t samples[2 * kSegmentFrames];
        std::uint64_t loudness = 0;
        std::uint64_t rendered = 0;
        while (const std::size_t frames = pass.Render(samples, kSegmentFrames)) {
            for (std::size_t i = 0; i < 2 * frames; ++i) loudness += static_cast<std::uint64_t>(std::abs(samples[i]));
            rendered += frames;
        }
        EXPECT_FALSE(pass.DurationIsBound());
        EXPECT_LE(rendered, kTenMinutes) << "no end within ten minutes";
        EXPECT_EQ(rendered, pass.DurationFrames());
        EXPECT_GT(rendered, std::uint64_t{kOutputRate});
        // A mean level of 100 (-50 dB) is far above rounding noise and far
        // below any of these songs (about 500 to 4500).
        EXPECT_GE(loudness, rendered * 2 * 100) << "silent";
    }
}

}  // namespace
}  // namespace zumbrik
