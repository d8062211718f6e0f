#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "tests/support/xm_builder.h"

namespace zumbrik {
namespace {

namespace fs = std::filesystem;

std::uint32_t Le32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zumbrik_render_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string WriteModule(const XmModule& module, const char* name = "song.xm") {
        const std::vector<std::uint8_t> bytes = WriteXm(module);
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RenderCommand(args, out_, err_);
    }
    static std::vector<char> ReadAll(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // Two orders of four rows at one tick per row and 480 frames per tick.
    static XmModule EightRowSong() {
        XmModule module = test::ToneModule(1, 1);
        module.orders = {0, 0};
        module.patterns = {test::PatternOf(4, 1, {{0, {test::Cell(49, 1)}}})};
        return module;
    }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(RenderCommandTest, OnePassWritesTheWholeSongAsAWav) {
    const std::string wav = (dir_ / "out.wav").string();
    ASSERT_EQ(Run({WriteModule(EightRowSong()), wav}), 0) << err_.str();
    const std::vector<char> bytes = ReadAll(wav);
    const std::uint32_t dataBytes = 8 * 480 * 4;
    ASSERT_EQ(bytes.size(), 44u + dataBytes);
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(Le32(bytes, 4), 36u + dataBytes);
    EXPECT_EQ(std::string(bytes.data() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(bytes, 24), 48000u);
    EXPECT_EQ(Le32(bytes, 28), 192000u);
    EXPECT_EQ(std::string(bytes.data() + 36, 4), "data");
    EXPECT_EQ(Le32(bytes, 40), dataBytes);
    // The tone is audible in the middle of the song.
    EXPECT_NE(bytes[44 + 4 * 2000], 0);
}

TEST_F(RenderCommandTest, SecondsRenderThatManyFramesLooping) {
    const std::string wav = (dir_ / "out.wav").string();
    ASSERT_EQ(Run({WriteModule(EightRowSong()), wav, "--seconds", "0.5"}), 0) << err_.str();
    EXPECT_EQ(ReadAll(wav).size(), 44u + 24000u * 4);
}

TEST_F(RenderCommandTest, LoopsRenderThatManyPassesThroughTheJumpBack) {
    XmModule module = EightRowSong();
    module.orders = {0, 1};
    module.patterns.push_back(test::PatternOf(4, 1, {{3, {test::Effect(0xB, 1)}}}));  // order 1 for ever
    const std::string wav = (dir_ / "out.wav").string();
    ASSERT_EQ(Run({WriteModule(module), wav, "--loops", "3"}), 0) << err_.str();
    EXPECT_EQ(ReadAll(wav).size(), 44u + (8u + 4u + 4u) * 480 * 4);  // the first pass, then order 1 twice
    EXPECT_EQ(err_.str(), "");

    EXPECT_EQ(Run({WriteModule(module), wav, "--loops", "0"}), 2);
    EXPECT_EQ(Run({WriteModule(module), wav, "--loops", "2", "--seconds", "1"}), 2);
    EXPECT_EQ(Run({WriteModule(module), wav, "--loops"}), 2);
}

TEST_F(RenderCommandTest, ErrorsAreOneLineWithAFailingStatus) {
    const std::string wav = (dir_ / "out.wav").string();
    EXPECT_EQ(Run({(dir_ / "missing.xm").string(), wav}), 1);
    EXPECT_NE(err_.str().find("cannot open"), std::string::npos);

    XmModule broken = EightRowSong();
    broken.channels = 65;
    EXPECT_EQ(Run({WriteModule(broken, "broken.xm"), wav}), 1);
    EXPECT_NE(err_.str().find(": channel count not between 1 and 64\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(wav));

    EXPECT_EQ(Run({WriteModule(EightRowSong()), (dir_ / "no" / "such" / "out.wav").string()}), 1);
    EXPECT_NE(err_.str().find("cannot write"), std::string::npos);

    EXPECT_EQ(Run({WriteModule(EightRowSong()), wav, "--seconds", "-3"}), 2);
    EXPECT_EQ(Run({WriteModule(EightRowSong())}), 2);
    for (const std::string& text : {err_.str()}) EXPECT_EQ(text.find('\n'), text.size() - 1);
}

}  // namespace
}  // namespace zumbrik
