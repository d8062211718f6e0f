#include "app/xm_tool/play_list.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace zumbrik {
namespace {

// Steps through a list of four files: 'n' and 'p' as the keys, 'x' when the
// file just reached fails to play. Returns the files visited, "end" once finished.
std::string Walk(const std::string& steps) {
    PlayList list(4);
    std::string visited = std::to_string(list.Current());
    for (char step : steps) {
        if (step == 'n') list.Next();
        if (step == 'p') list.Previous();
        if (step == 'x') list.SkipBad();
        visited += ' ';
        visited += list.Finished() ? std::string("end") : std::to_string(list.Current());
    }
    return visited;
}

TEST(PlayList, StepsThroughFilesAndSkipsBadOnes) {
    EXPECT_EQ(Walk("nnnn"), "0 1 2 3 end");
    EXPECT_EQ(Walk("pp"), "0 0 0") << "back from the first plays it again";
    EXPECT_EQ(Walk("nnnnn"), "0 1 2 3 end end");
    EXPECT_EQ(Walk("xnp"), "0 1 2 1") << "a bad first file";
    EXPECT_EQ(Walk("xp"), "0 1 1") << "nothing playable before";
    EXPECT_EQ(Walk("nnxpxp"), "0 1 2 3 1 0 0") << "going back skips backwards";
    EXPECT_EQ(Walk("nnnppx"), "0 1 2 3 2 1 0");
    EXPECT_EQ(Walk("nxpx"), "0 1 2 0 2") << "the last good one left";
    EXPECT_EQ(Walk("nnnx"), "0 1 2 3 end");
    PlayList all(2);
    all.SkipBad();
    all.SkipBad();
    EXPECT_TRUE(all.Finished());
    EXPECT_TRUE(all.AnyBad());
    EXPECT_FALSE(PlayList(2).AnyBad());
}

TEST(PlayList, Arguments) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::vector<std::string> files;
        bool loop;
    };
    const Case cases[] = {
        {{"a.xm"}, true, {"a.xm"}, false},
        {{"a.xm", "--loop", "b.xm"}, true, {"a.xm", "b.xm"}, true},
        {{"--", "--loop", "-"}, true, {"--loop", "-"}, false},
        {{"-"}, true, {"-"}, false},
        {{"--loop"}, false, {}, true},
        {{}, false, {}, false},
        {{"a.xm", "--seconds"}, false, {}, false},
    };
    for (const Case& c : cases) {
        PlayOptions options;
        std::ostringstream err;
        EXPECT_EQ(ParsePlayArguments(c.args, options, err), c.ok) << c.args.size();
        EXPECT_EQ(err.str().empty(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(options.files, c.files);
        EXPECT_EQ(options.loop, c.loop);
    }
}

}  // namespace
}  // namespace zumbrik
