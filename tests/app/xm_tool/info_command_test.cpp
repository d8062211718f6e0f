#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/xm_tool/commands.h"
#include "player/formats/xm_writer.h"
#include "tests/support/tracker_builders.h"

namespace zumbrik {
namespace {

using ::testing::HasSubstr;

class InfoCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() /
                 ("zumbrik_info_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xm"))
                    .string();
    }
    void TearDown() override { std::filesystem::remove(path_); }

    void Write(const std::vector<std::uint8_t>& bytes) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return InfoCommand(args, out_, err_);
    }

    std::string path_;
    std::ostringstream out_, err_;
};

TEST_F(InfoCommandTest, DescribesTheModule) {
    XmModule module;
    module.name = "tetra theme";
    module.channels = 2;
    module.tempo = 5;
    module.bpm = 150;
    module.orders = {0, 1, 5};
    XmPattern pattern;
    pattern.rows = 2;
    pattern.cells = {{49, 1, 0x40, 0x0F, 3}, {97, 0, 0, 0, 0}, {0, 0, 0, 0x0A, 0x10}};
    module.patterns = {pattern, pattern};
    XmInstrument instrument;
    XmSample sample;
    sample.is16Bit = true;
    sample.values = {1, 2, 3, 4};
    sample.loopType = 2;
    sample.loopStart = 1;
    sample.loopLength = 2;
    XmSample packed;
    packed.packed4Bit = true;
    packed.values = {1, 2};
    sample.name = "kick by \x1b]0;anna\a 1234";  // the whole 22 bytes; no control byte reaches the terminal
    packed.name = "caf\xc3\xa9   ";
    instrument.samples = {sample, packed};
    instrument.name = "credits: anna";
    instrument.volumeEnvelope.pointCount = 3;
    instrument.volumeEnvelope.type = 3;
    XmInstrument creditsOnly;
    creditsOnly.name = "greetings to all";
    module.instruments = {instrument, creditsOnly};
    Write(WriteXm(module));

    ASSERT_EQ(Run({path_}), 0) << err_.str();
    const std::string text = out_.str();
    EXPECT_EQ(text.rfind("format:      XM\nname:        \"tetra theme\"\ntracker:     \"zumbrik-xm\", version 0104\n", 0),
              0u)
        << text;
    EXPECT_THAT(text, HasSubstr("channels:    2\n"));
    EXPECT_THAT(text, HasSubstr("5 ticks per row, 150 BPM (800 frames per tick)"));
    EXPECT_THAT(text, HasSubstr("orders:      0 1 5\n"));
    // 2 + 2 + 64 rows (pattern 5 is missing) of 3 ticks (the F03) at 800 frames.
    EXPECT_THAT(text, HasSubstr("duration:    0:03.400\n"));
    EXPECT_THAT(text, HasSubstr("patterns:    6\n"));
    EXPECT_THAT(text, HasSubstr("pattern   5:  64 rows, 0 notes, 0 key-offs, not in the file"));
    EXPECT_THAT(text, HasSubstr("pattern   1:   2 rows, 1 notes, 1 key-offs"));
    EXPECT_THAT(text, HasSubstr("effects used: Ax2 Fx2; volume column in 2 cells"));
    EXPECT_THAT(text, HasSubstr("volume envelope 3 points, sustain"));
    EXPECT_THAT(text, HasSubstr("  instrument   1: \"credits: anna\", 2 samples, volume envelope 3 points, sustain"));
    EXPECT_THAT(text, HasSubstr("    sample  0: \"kick by ?]0;anna? 1234\", 4 frames, 16-bit, ping-pong loop 1+2"));
    EXPECT_THAT(text, HasSubstr("    sample  1: \"caf??\", 2 frames, 8-bit 4-bit packed, no loop"));
    EXPECT_THAT(text, HasSubstr("  instrument   2: \"greetings to all\", 0 samples\n"));
    for (const char c : text) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << static_cast<int>(c);
}

TEST_F(InfoCommandTest, NamesOtherFormatsAndTheirSilentInstruments) {
    test::S3mModule module;
    module.title = "s3m song";
    module.patterns = {test::S3mPatternOf({{0, {test::S3mNote(0x40, 1)}}})};
    test::S3mSample adlib = test::S3mSquare();
    adlib.type = 2;  // synthesised
    module.samples = {test::S3mSquare(), adlib};
    Write(test::WriteS3m(module));
    ASSERT_EQ(Run({path_}), 0) << err_.str();
    EXPECT_EQ(out_.str().rfind("format:      S3M\nnote:        some instruments are synthesised", 0), 0u) << out_.str();
    EXPECT_THAT(out_.str(), HasSubstr("name:        \"s3m song\"\n"));
    EXPECT_THAT(out_.str(), HasSubstr(" rows, 1 notes, 0 key-offs, in the file\n"));
}

TEST_F(InfoCommandTest, FailuresAreOneLineAndNonZero) {
    EXPECT_EQ(Run({path_ + "_missing"}), 1);
    EXPECT_THAT(err_.str(), HasSubstr("_missing: no such file\n"));
    const std::string error = err_.str();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
    EXPECT_TRUE(out_.str().empty());

    XmModule rejected;
    rejected.channels = 65;
    rejected.patterns.resize(1);
    Write(WriteXm(rejected));
    EXPECT_EQ(Run({path_}), 1);
    EXPECT_THAT(err_.str(), HasSubstr(": channel count not between 1 and 64\n"));
    EXPECT_TRUE(out_.str().empty());

    EXPECT_EQ(Run({std::filesystem::temp_directory_path().string()}), 1);
    EXPECT_THAT(err_.str(), HasSubstr(": is a folder, not a module file\n"));

    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {path_, "extra"}, {path_, "--bogus"}}) {
        EXPECT_EQ(Run(args), 2);
        EXPECT_THAT(err_.str(), HasSubstr("\nusage: zumbrik-xm info FILE [--verbose]\n"));
    }
}

}  // namespace
}  // namespace zumbrik
