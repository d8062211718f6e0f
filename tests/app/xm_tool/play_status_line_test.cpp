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
    s.pattern = 5;
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
    const Case cases[] = {
        {"all of it", 80, same, "song.xm  ord 3/12 row 17 pat 5  1:05/3:20  vol 25  L ######## R ........"},
        {"levels", 80, [](PlayStatus& s) { s.leftLevel = 3277, s.rightLevel = 1; },
         "song.xm  ord 3/12 row 17 pat 5  1:05/3:20  vol 25  L #####... R ........"},
        {"long name cut", 80, [](PlayStatus& s) { s.path = "a_very_long_module_name_for_testing.xm"; },
         "a_very_long_m~  ord 3/12 row 17 pat 5  1:05/3:20  vol 25  L ######## R ........"},
        {"no meters, pattern, volume", 40, same, "song.xm  ord 3/12 row 17  1:05/3:20"},
        {"paused outranks the duration", 40, [](PlayStatus& s) { s.paused = true; },
         "song.xm  ord 3/12 row 17  1:05  paused"},
        {"time only", 20, same, "song.xm  1:05"},
        {"name only", 8, same, "song.xm"},
        {"name cut", 5, same, "son~"},
        {"nothing fits", 1, same, ""},
        {"unknown end", 80, [](PlayStatus& s) { s.durationIsMinimum = true; },
         "song.xm  ord 3/12 row 17 pat 5  1:05/>3:20  vol 25  L ######## R ........"},
        {"control bytes", 20, [](PlayStatus& s) { s.path = "a\x1b[2J\x7f\xc2\x9b.xm"; }, "a?[2J??.xm  1:05"},
        {"broken UTF-8", 20, [](PlayStatus& s) { s.path = "\xff\xe2\x88.xm\xc3"; }, "???.xm?  1:05"},
        {"UTF-8 counts by letter", 20, [](PlayStatus& s) { s.path = "песня.xm"; }, "песня.xm  1:05"},
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

}  // namespace
}  // namespace zumbrik
