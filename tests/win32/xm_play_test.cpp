#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/xm_tool/commands.h"
#include "player/background/module_player.h"

// zumbrik-xm play on Windows: keys from the console, sound through winmm.
// Needs a console; ctest runs it with a silent and with a missing device.
namespace zumbrik {
namespace {

void QueueKey(wchar_t character, WORD virtualKey) {
    INPUT_RECORD r{};
    r.EventType = KEY_EVENT;
    r.Event.KeyEvent.bKeyDown = TRUE;
    r.Event.KeyEvent.wRepeatCount = 1;
    r.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    r.Event.KeyEvent.uChar.UnicodeChar = character;
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    ::FlushConsoleInputBuffer(in);
    DWORD written = 0;
    ASSERT_NE(::WriteConsoleInputW(in, &r, 1, &written), 0) << "no console input: run on a terminal";
}

TEST(Win32XmPlayTest, PlaysUntilQAndLeavesThePlayerAsItFoundIt) {
    QueueKey(L'q', 'Q');
    std::ostringstream out, err;
    EXPECT_EQ(PlayCommand({ZUMBRIK_THEME_PATH}, out, err), 0);
    EXPECT_NE(out.str().find("theme.xm  ord 0/9 row "), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_FALSE(ModulePaused());
    EXPECT_EQ(GetElapsedMs(), 0u);  // stopped: nothing is left playing
}

TEST(Win32XmPlayTest, NMovesOnAndAFileThatFailsCounts) {
    QueueKey(L'n', 'N');
    std::ostringstream out, err;
    EXPECT_EQ(PlayCommand({ZUMBRIK_THEME_PATH, "/nonexistent/song.xm"}, out, err), 1);
    EXPECT_EQ(err.str(), "zumbrik-xm: /nonexistent/song.xm: no such file\n");
    EXPECT_NE(out.str().find("theme.xm  ord 0/9 row "), std::string::npos) << out.str();
}

TEST(Win32XmPlayNoCardTest, SaysSoWhenNoDeviceOpens) {
    std::ostringstream out, err;
    EXPECT_EQ(PlayCommand({ZUMBRIK_THEME_PATH}, out, err), 1);
    EXPECT_NE(err.str().find("no sound output device"), std::string::npos) << err.str();
}

TEST(Win32XmPlayNoCardTest, BadArgumentsAndFilesFailBeforeAnyDevice) {
    std::ostringstream out, err;
    EXPECT_EQ(PlayCommand({}, out, err), 2);
    EXPECT_EQ(PlayCommand({"/nonexistent/song.xm"}, out, err), 1);
    EXPECT_EQ(PlayCommand({ZUMBRIK_THEME_PATH, "--extra"}, out, err), 2);
    EXPECT_NE(err.str().find("no such file"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace zumbrik
