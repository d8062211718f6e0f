#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
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

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The samples of a WAV's data (the machines we test on are little-endian, as the file).
template <typename Sample>
std::vector<Sample> SamplesOf(const std::string& wav, std::size_t headerBytes) {
    std::vector<Sample> samples((wav.size() - headerBytes) / sizeof(Sample));
    std::memcpy(samples.data(), wav.data() + headerBytes, samples.size() * sizeof(Sample));
    return samples;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zumbrik_render_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        wav_ = (dir_ / "out.wav").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string WriteModule(const XmModule& module, const char* name = "song.xm", std::size_t cut = 0) {
        const std::vector<std::uint8_t> bytes = WriteXm(module);
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size() - cut));
        return path;
    }
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RenderCommand(args, out_, err_);
    }
    static std::string ReadAll(const std::string& path) {
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
    std::string wav_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(RenderCommandTest, OnePassWritesTheWholeSongAsAWav) {
    ASSERT_EQ(Run({WriteModule(EightRowSong()), wav_}), 0) << err_.str();
    const std::string bytes = ReadAll(wav_);
    const std::uint32_t dataBytes = 8 * 480 * 4;
    ASSERT_EQ(bytes.size(), 44u + dataBytes);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(bytes, 4), 36u + dataBytes);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(bytes, 24), 48000u);
    EXPECT_EQ(Le32(bytes, 28), 192000u);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(Le32(bytes, 40), dataBytes);
    // The tone is audible in the middle of the song.
    EXPECT_NE(bytes[44 + 4 * 2000], 0);
    // The summary is a message: on the error stream, never among the output.
    EXPECT_EQ(err_.str(), wav_ + ": 0.08 s, 48000 Hz 16-bit stereo\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << "a temporary file is left";
}

TEST_F(RenderCommandTest, SecondsAndLoopsSetTheLength) {
    ASSERT_EQ(Run({WriteModule(EightRowSong()), wav_, "--seconds", "0.5"}), 0) << err_.str();
    EXPECT_EQ(ReadAll(wav_).size(), 44u + 24000u * 4);

    XmModule module = EightRowSong();
    module.orders = {0, 1};
    module.patterns.push_back(test::PatternOf(4, 1, {{3, {test::Effect(0xB, 1)}}}));  // order 1 for ever
    ASSERT_EQ(Run({WriteModule(module), wav_, "--loops", "3"}), 0) << err_.str();
    EXPECT_EQ(ReadAll(wav_).size(), 44u + (8u + 4u + 4u) * 480 * 4);  // the first pass, then order 1 twice
}

TEST_F(RenderCommandTest, BadOptionsAreUsageErrorsNamingTheOption) {
    const std::string song = WriteModule(EightRowSong());
    const std::vector<std::vector<std::string>> cases = {
        {"--seconds", "0"},    {"--seconds", "-3"},   {"--seconds", "abc"},  {"--seconds", "1e-9"},
        {"--seconds", "1801"}, {"--seconds", "5s"},   {"--seconds", " 5"},   {"--seconds", "nan"},
        {"--seconds", "inf"},  {"--seconds", ""},     {"--seconds"},         {"--loops", "0"},
        {"--loops", "101"},    {"--loops", "-1"},     {"--loops", "2x"},     {"--loops", "+3"},
        {"--loops"},           {"--loops", "2", "--seconds", "1"},           {"--frobnicate"},
        {"--rate", "7999"},    {"--rate", "192001"},  {"--rate", "44.1k"},   {"--rate"},
        {"--gain", "96.5"},    {"--gain", "-97"},     {"--gain", "--"},      {"--gain", "loud"},
        {"--start", "256"},    {"--start", "-1"},     {"--start", "x"},      {"--from", "-0.5"},
        {"--from", "1800.1"},  {"--from", "e3"},      {"--start", "1", "--from", "1"},
        {"--seconds", "0.00005", "--rate", "8000"},  // under a frame at that rate only
    };
    for (const std::vector<std::string>& options : cases) {
        std::vector<std::string> args = {song, wav_};
        args.insert(args.end(), options.begin(), options.end());
        const std::string line = ::testing::PrintToString(options);
        EXPECT_EQ(Run(args), 2) << line;
        EXPECT_EQ(Lines(err_.str()), 2u) << line << err_.str();
        const std::string named = options.size() == 4 && options[2] == "--seconds" ? "--loops" : options[0];
        EXPECT_NE(err_.str().find(named), std::string::npos) << err_.str();
        EXPECT_NE(err_.str().find("\nusage: zumbrik-xm render FILE OUT.wav"), std::string::npos) << err_.str();
    }
    EXPECT_EQ(Run({song}), 2);
    EXPECT_EQ(Run({song, wav_, "third"}), 2);
    EXPECT_FALSE(fs::exists(wav_));
    EXPECT_EQ(Run({song, wav_, "--seconds", "0.00005"}), 0) << "over a frame at 48 kHz";
    // The longest render allowed and names that look like options after "--".
    EXPECT_EQ(Run({"--seconds", "1800", "--", "-song.xm", wav_}), 1);
    EXPECT_NE(err_.str().find("-song.xm: no such file"), std::string::npos) << err_.str();
}

TEST_F(RenderCommandTest, StandardOutputCarriesOnlyTheWav) {
    const std::string song = WriteModule(EightRowSong());
    ASSERT_EQ(Run({song, wav_}), 0);
    const std::string fromFile = ReadAll(wav_);

    // The length of a pass is not known when the header goes out.
    ASSERT_EQ(Run({song, "-"}), 0) << err_.str();
    const std::string streamed = out_.str();
    ASSERT_EQ(streamed.size(), fromFile.size());
    EXPECT_EQ(Le32(streamed, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Le32(streamed, 40), 0xFFFFFFFFu);
    EXPECT_EQ(streamed.substr(44), fromFile.substr(44));
    EXPECT_EQ(err_.str(), "standard output: 0.08 s, 48000 Hz 16-bit stereo\n");

    // A length in seconds is.
    ASSERT_EQ(Run({song, "-", "--seconds", "0.25"}), 0) << err_.str();
    ASSERT_EQ(out_.str().size(), 44u + 12000u * 4);
    EXPECT_EQ(Le32(out_.str(), 4), 36u + 12000u * 4);
    EXPECT_EQ(Le32(out_.str(), 40), 12000u * 4);
}

TEST_F(RenderCommandTest, FailuresKeepTheEarlierFileAndLeaveNoOther) {
    const std::string song = WriteModule(EightRowSong());
    std::ofstream(wav_) << "earlier";
    const auto expectFailure = [&](std::vector<std::string> args, const std::string& message) {
        EXPECT_EQ(Run(args), 1) << message;
        EXPECT_EQ(Lines(err_.str()), 1u) << err_.str();
        EXPECT_NE(err_.str().find(message), std::string::npos) << err_.str();
        EXPECT_EQ(out_.str(), "");
    };
    XmModule broken = EightRowSong();
    broken.channels = 65;
    expectFailure({WriteModule(broken, "broken.xm"), wav_}, "broken.xm: channel count not between 1 and 64\n");
    expectFailure({(dir_ / "missing.xm").string(), wav_}, "missing.xm: no such file\n");
    expectFailure({dir_.string(), wav_}, ": is a folder, not a module file\n");
    expectFailure({song, dir_.string()}, ": is a folder; name the WAV file");
    expectFailure({song, (dir_ / "no" / "out.wav").string()}, "out.wav: cannot write there: ");
    expectFailure({song, wav_, "--start", "2"}, "song.xm: the song never reaches order 2 (it has 2 orders)\n");
    expectFailure({song, wav_, "--from", "0.5"}, "song.xm: the song ends after 0.08 s, before --from 0.5\n");
    // The same file under another name is still the module.
    fs::create_hard_link(song, dir_ / "alias.wav");
    expectFailure({song, (dir_ / "alias.wav").string()}, "alias.wav: is the module itself");
#ifndef _WIN32
    expectFailure({song, "/dev/full"}, "/dev/full: writing failed: No space left on device\n");
#endif
    EXPECT_EQ(ReadAll(wav_), "earlier");
    EXPECT_EQ(ReadAll((dir_ / "alias.wav").string()), ReadAll(song));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4);  // song, broken, out, alias
}

TEST_F(RenderCommandTest, AModuleCutShortRendersWithAWarning) {
    XmModule twoInstruments = EightRowSong();
    twoInstruments.instruments.push_back(test::Instrument({test::Saw(32)}));  // 263 + 40 + 32 bytes at the end
    XmModule emptyLast = EightRowSong();
    emptyLast.instruments.emplace_back();
    emptyLast.instruments.back().headerSize = 29;  // shorter than the loader's first read
    const std::size_t wholeSize = WriteXm(twoInstruments).size();
    struct Case {
        const char* what;
        const XmModule& module;
        std::size_t cut;
        bool warns;
    };
    const Case cases[] = {
        {"whole", twoInstruments, 0, false},
        {"an empty last instrument with a short header", emptyLast, 0, false},
        {"the last sample's last byte", twoInstruments, 1, true},
        {"the whole last instrument", twoInstruments, 335, true},
        {"from inside the patterns on", twoInstruments, wholeSize - 360, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Run({WriteModule(c.module, "cut.xm", c.cut), wav_}), 0) << c.what << ": " << err_.str();
        EXPECT_EQ(err_.str().find("cut.xm: warning: the file ends before all the data its headers describe") !=
                      std::string::npos,
                  c.warns)
            << c.what << ": " << err_.str();
        EXPECT_EQ(ReadAll(wav_).size(), 44u + 8 * 480 * 4) << c.what;
    }
}

TEST_F(RenderCommandTest, RateFloatAndGainShapeTheWav) {
    const std::string song = WriteModule(EightRowSong());
    // 480 frames a tick at 48 kHz are 441 at 44.1 kHz: eight rows of one tick.
    ASSERT_EQ(Run({song, wav_, "--rate", "44100"}), 0) << err_.str();
    const std::string at44 = ReadAll(wav_);
    ASSERT_EQ(at44.size(), 44u + 8 * 441 * 4);
    EXPECT_EQ(Le32(at44, 24), 44100u);
    EXPECT_EQ(Le32(at44, 28), 44100u * 4);
    EXPECT_EQ(err_.str(), wav_ + ": 0.08 s, 44100 Hz 16-bit stereo\n");

    // A float WAV says so in the fields readers check, and holds the same
    // samples with 1.0 the 16-bit full scale.
    ASSERT_EQ(Run({song, wav_, "--rate", "44100", "--float"}), 0) << err_.str();
    const std::string floats = ReadAll(wav_);
    const std::uint32_t dataBytes = 8 * 441 * 8;
    ASSERT_EQ(floats.size(), 58u + dataBytes);
    // RIFF size, format chunk size, IEEE float (3) and 2 channels, rate, bytes a second,
    // 8 bytes a frame and 32 bits, no extension, the fact chunk's frames, the data size.
    const std::pair<std::size_t, std::uint32_t> fields[] = {
        {4, 50 + dataBytes}, {16, 18}, {20, 0x00020003}, {24, 44100}, {28, 44100 * 8},
        {32, 0x00200008},    {36, 0x61660000 /* 0, then "fa" */},   {46, 8 * 441}, {54, dataBytes}};
    for (const auto& [at, value] : fields) EXPECT_EQ(Le32(floats, at), value) << "at byte " << at;
    EXPECT_EQ(floats.substr(38, 4) + floats.substr(50, 4), "factdata");
    EXPECT_EQ(err_.str(), wav_ + ": 0.08 s, 44100 Hz 32-bit float stereo\n");
    const std::vector<std::int16_t> whole = SamplesOf<std::int16_t>(at44, 44);
    const std::vector<float> asFloat = SamplesOf<float>(floats, 58);
    ASSERT_EQ(asFloat.size(), whole.size());
    ASSERT_EQ(Run({song, wav_, "--rate", "44100", "--gain", "-6.0206"}), 0) << err_.str();
    const std::vector<std::int16_t> half = SamplesOf<std::int16_t>(ReadAll(wav_), 44);
    int heard = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_NEAR(asFloat[i] * 32768.0f, whole[i], 1.0f) << i;
        EXPECT_NEAR(half[i], whole[i] / 2.0, 1.0) << i;
        heard += whole[i] != 0;
    }
    EXPECT_GT(heard, 1000);
}

// Starting at an order or a time gives the very samples the whole render has from there.
TEST_F(RenderCommandTest, StartAndFromGiveTheSamplesOfTheWholeRender) {
    XmModule module = EightRowSong();
    module.orders = {0, 1};
    module.patterns.push_back(test::PatternOf(4, 1, {{0, {test::Cell(61, 1)}}}));  // order 1 an octave up
    const std::string song = WriteModule(module);
    ASSERT_EQ(Run({song, wav_}), 0) << err_.str();
    const std::string whole = ReadAll(wav_);
    ASSERT_EQ(whole.size(), 44u + 8 * 480 * 4);
    struct Case {
        std::vector<std::string> options;
        std::uint32_t firstFrame;  // of the whole render
        std::uint32_t frames;
    };
    const Case cases[] = {
        {{"--start", "1"}, 4 * 480, 4 * 480},
        {{"--start", "0"}, 0, 8 * 480},
        {{"--from", "0.0351"}, 1685, 8 * 480 - 1685},  // within a row and a mixing segment
        {{"--from", "0.035", "--seconds", "0.01"}, 1680, 480},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {song, wav_};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args), 0) << c.options[0] << err_.str();
        const std::string part = ReadAll(wav_);
        ASSERT_EQ(part.size(), 44u + c.frames * 4) << c.options[0] << " " << c.options[1];
        EXPECT_EQ(part.substr(44), whole.substr(44 + c.firstFrame * 4, c.frames * 4)) << c.options[1];
    }
}

}  // namespace
}  // namespace zumbrik
