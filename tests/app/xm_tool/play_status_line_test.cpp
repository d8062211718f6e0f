#include "app/xm_tool/play_status_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace zumbrik {
namespace {

PlayStatus Song() {
    PlayStatus s;
    s.path = "/music/song.xm";
    s.order = 3;
    s.songLength = 12;
    s.row = 17;
    s.mostRows = 64;
    s.pattern = 5;
    s.highestPattern = 12;
    s.elapsedMs = 65'400;
    s.durationMs = 200'000;
    s.volume = 25;
    s.leftLevel = 32767;  // full scale: a full meter
    s.rightLevel = 0;
    return s;
}

TEST(PlayStatusLine, DropsFieldsAsTheTerminalNarrows) {
    struct Case {
        const char* what;
        int columns;
        std::function<void(PlayStatus&)> change;
        std::string expected;
    };
    const auto same = [](PlayStatus&) {};
    const auto paused = [](PlayStatus& s) { s.paused = true; };
    const Case cases[] = {
        {"all of it", 80, same, "song.xm  ord 03/12 row 17 pat 05  1:05/3:20  vol 25  L ######## R ........"},
        {"levels", 80, [](PlayStatus& s) { s.leftLevel = 3277, s.rightLevel = 1; },
         "song.xm  ord 03/12 row 17 pat 05  1:05/3:20  vol 25  L #####... R ........"},
        {"paused over the meters", 80, paused,
         "song.xm  ord 03/12 row 17 pat 05  1:05/3:20  vol 25  paused               "},
        {"long name cut", 80, [](PlayStatus& s) { s.path = "a_very_long_module_name_for_testing.xm"; },
         "a_very_long~  ord 03/12 row 17 pat 05  1:05/3:20  vol 25  L ######## R ........"},
        {"no meters, pattern, volume", 40, same, "song.xm  ord 03/12 row 17  1:05/3:20"},
        {"paused over the time", 40, paused, "song.xm  ord 03/12 row 17  paused   "},
        {"time only", 20, same, "song.xm    1:05"},
        {"paused only", 20, paused, "song.xm  paused"},
        {"name only", 8, same, "song.xm"},
        {"name cut", 5, same, "son~"},
        {"nothing fits", 1, same, ""},
        {"unknown end", 80, [](PlayStatus& s) { s.durationIsMinimum = true; },
         "song.xm  ord 03/12 row 17 pat 05  1:05/>3:20  vol 25  L ######## R ........"},
        {"control bytes", 20, [](PlayStatus& s) { s.path = "a\x1b[2J\x7f\xc2\x9b.xm"; }, "a?[2J??.xm    1:05"},
        {"broken UTF-8", 20, [](PlayStatus& s) { s.path = "\xff\xe2\x88.xm\xc3"; }, "???.xm?    1:05"},
        {"UTF-8 counts by letter", 20, [](PlayStatus& s) { s.path = "песня.xm"; }, "песня.xm    1:05"},
        {"a wide name cut at a letter", 6, [](PlayStatus& s) { s.path = "песня.xm"; }, "песн~"},
    };
    for (const Case& c : cases) {
        PlayStatus status = Song();
        c.change(status);
        const std::string line = FormatStatusLine(status, c.columns);
        EXPECT_EQ(line, c.expected) << c.what;
        EXPECT_LT(DisplayWidth(line), static_cast<std::size_t>(std::max(c.columns, 1))) << c.what;
    }
}

// Whatever plays within the song, the line keeps its width and its fields
// their places: nothing jitters as numbers grow or the music pauses.
TEST(PlayStatusLine, KeepsItsWidthWhileTheSongPlays) {
    const std::function<void(PlayStatus&)> changes[] = {
        [](PlayStatus& s) { s.order = 0, s.row = 0, s.pattern = 0, s.elapsedMs = 0; },
        [](PlayStatus& s) { s.order = 11, s.row = 63, s.pattern = 12, s.elapsedMs = 200'000; },
        [](PlayStatus& s) { s.volume = 0, s.leftLevel = 1, s.rightLevel = 32767; },
        [](PlayStatus& s) { s.paused = true; },
    };
    for (const int columns : {100, 80, 60, 40, 30, 20, 12}) {
        const std::string first = FormatStatusLine(Song(), columns);
        for (const auto& change : changes) {
            PlayStatus status = Song();
            change(status);
            const std::string line = FormatStatusLine(status, columns);
            EXPECT_EQ(DisplayWidth(line), DisplayWidth(first)) << columns << ": " << line;
            EXPECT_EQ(line.find("  "), first.find("  ")) << columns << ": " << line;
        }
    }
}

TEST(PlayStatusLine, HeadingAndKeys) {
    EXPECT_EQ(FormatHeading(2, 5, "/music/song.xm", "Title", 80), "file 2 of 5  song.xm  \"Title\"");
    EXPECT_EQ(FormatHeading(1, 1, "a\x1b[2J.xm", "", 80), "file 1 of 1  a?[2J.xm");
    EXPECT_EQ(FormatHeading(2, 5, "song.xm", "A long title of the song", 30), "file 2 of 5  song.xm  \"A lon~");
    EXPECT_EQ(FormatHeading(2, 5, "song.xm", "Title", 10), "song.xm ~") << "the name before the count";

    std::string all;
    for (const int columns : {120, 80, 30}) {
        const std::vector<std::string> lines = KeyHelpLines(columns);
        EXPECT_EQ(lines.size(), columns == 120 ? 1u : columns == 80 ? 2u : 5u) << columns;
        for (const std::string& line : lines) {
            EXPECT_LT(line.size(), static_cast<std::size_t>(columns)) << line;
            all += line + "\n";
        }
    }
    for (const char* key : {"space pause", "+ - volume", "left right order", "n p next/previous file", "h ? keys",
                            "q quit"}) {
        EXPECT_NE(all.find(key), std::string::npos) << key;
    }
}

}  // namespace
}  // namespace zumbrik
