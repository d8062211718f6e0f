#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_input.h"

namespace zumbrik {
namespace {

INPUT_RECORD Key(WORD vk, bool down, wchar_t ch = 0) {
    INPUT_RECORD r{};
    r.EventType = KEY_EVENT;
    r.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
    r.Event.KeyEvent.wRepeatCount = 1;
    r.Event.KeyEvent.wVirtualKeyCode = vk;
    r.Event.KeyEvent.wVirtualScanCode = 0x4B;
    r.Event.KeyEvent.uChar.UnicodeChar = ch;
    r.Event.KeyEvent.dwControlKeyState = SHIFT_PRESSED;
    return r;
}

class Win32InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        stdinHandle = ::GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        ASSERT_NE(::GetConsoleMode(stdinHandle, &mode), 0) << "no console input: run on a terminal";
        input.FlushConsoleInputBuffer();
    }
    void Queue(std::initializer_list<INPUT_RECORD> records) {
        DWORD written = 0;
        ASSERT_NE(::WriteConsoleInputW(stdinHandle, records.begin(), static_cast<DWORD>(records.size()), &written), 0);
        ASSERT_EQ(written, records.size());
    }

    HANDLE stdinHandle = nullptr;
    Win32Input input;
};

TEST_F(Win32InputTest, PeekCopiesTheOldestKeyWithoutRemovingIt) {
    Queue({Key(VK_LEFT, true), Key('P', true, L'P')});
    InputRecord r{};
    ASSERT_TRUE(input.PeekConsoleInputW(&r));
    EXPECT_EQ(r.EventType, kKeyEvent);
    EXPECT_NE(r.Event.KeyEvent.bKeyDown, 0);
    EXPECT_EQ(r.Event.KeyEvent.wVirtualKeyCode, kVkLeft);
    EXPECT_EQ(r.Event.KeyEvent.wVirtualScanCode, 0x4B);
    EXPECT_EQ(r.Event.KeyEvent.wRepeatCount, 1);
    EXPECT_EQ(r.Event.KeyEvent.dwControlKeyState & SHIFT_PRESSED, static_cast<DWORD>(SHIFT_PRESSED));

    InputRecord again{};
    ASSERT_TRUE(input.PeekConsoleInputW(&again));
    EXPECT_EQ(again.Event.KeyEvent.wVirtualKeyCode, kVkLeft);
    input.FlushConsoleInputBuffer();
}

TEST_F(Win32InputTest, FlushDiscardsEveryPendingRecord) {
    Queue({Key(VK_ESCAPE, false), Key(VK_UP, true), Key('M', true, L'm')});
    InputRecord r{};
    ASSERT_TRUE(input.PeekConsoleInputW(&r));
    EXPECT_EQ(r.Event.KeyEvent.bKeyDown, 0);
    EXPECT_EQ(r.Event.KeyEvent.wVirtualKeyCode, kVkEscape);
    input.FlushConsoleInputBuffer();
    EXPECT_FALSE(input.PeekConsoleInputW(&r));
}

TEST_F(Win32InputTest, NonKeyEventsKeepTheirKindAndNoKeyFields) {
    INPUT_RECORD focus{};
    focus.EventType = FOCUS_EVENT;
    focus.Event.FocusEvent.bSetFocus = TRUE;
    Queue({focus});
    InputRecord r{};
    r.Event.KeyEvent.wVirtualKeyCode = kVkP;
    ASSERT_TRUE(input.PeekConsoleInputW(&r));
    EXPECT_EQ(r.EventType, kFocusEvent);
    EXPECT_EQ(r.Event.KeyEvent.wVirtualKeyCode, 0);
    EXPECT_EQ(r.Event.KeyEvent.bKeyDown, 0);
    input.FlushConsoleInputBuffer();
}

TEST_F(Win32InputTest, WaitTimesOutWhenEmptyAndReturnsAtOnceWhenARecordIsPending) {
    EXPECT_FALSE(input.WaitForInput(30));
    Queue({Key(VK_DOWN, true)});
    EXPECT_TRUE(input.WaitForInput(5000));
    input.FlushConsoleInputBuffer();
    EXPECT_FALSE(input.WaitForInput(0));
    EXPECT_FALSE(input.PeekConsoleInputW(nullptr));
}

}  // namespace
}  // namespace zumbrik
