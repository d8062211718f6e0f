#include "platform/posix/posix_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string_view>
#include <thread>

namespace zumbrik {
namespace {

// The input reads a pipe here; a terminal differs only in tcflush.
struct Pipe {
    Pipe() {
        if (::pipe(fds) != 0) fds[0] = fds[1] = -1;
    }
    int fds[2];
};

class PosixInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GE(fds[0], 0); }
    void TearDown() override {
        ::close(fds[0]);
        if (fds[1] >= 0) ::close(fds[1]);
    }
    void Type(std::string_view bytes) { ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    std::uint16_t PeekKey() {
        InputRecord record{};
        if (!input.PeekConsoleInputW(&record)) return 0;
        EXPECT_EQ(record.EventType, kKeyEvent);
        EXPECT_NE(record.Event.KeyEvent.bKeyDown, 0);
        return record.Event.KeyEvent.wVirtualKeyCode;
    }

    Pipe pipe;
    int (&fds)[2] = pipe.fds;
    PosixInput input{pipe.fds[0], nullptr};
};

TEST_F(PosixInputTest, PeekLeavesTheRecordAndFlushDropsEverythingWaiting) {
    EXPECT_EQ(PeekKey(), 0);
    Type("\x1b[Dpm");
    EXPECT_EQ(PeekKey(), kVkLeft);
    EXPECT_EQ(PeekKey(), kVkLeft);
    EXPECT_EQ(input.Pending(), 3u);
    // Bytes still in the pipe are dropped by the flush as well.
    Type("ffff");
    input.FlushConsoleInputBuffer();
    EXPECT_EQ(input.Pending(), 0u);
    EXPECT_EQ(PeekKey(), 0);
    Type("p");
    EXPECT_EQ(PeekKey(), kVkP);
}

TEST_F(PosixInputTest, LoneEscapeArrivesAfterTheTimeout) {
    const auto start = std::chrono::steady_clock::now();
    Type("\x1b");
    EXPECT_EQ(PeekKey(), 0);
    EXPECT_TRUE(input.WaitForInput(2000));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(PeekKey(), kVkEscape);
    EXPECT_GE(waited, std::chrono::milliseconds(PosixInput::kEscapeTimeoutMs));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    EXPECT_TRUE(input.EscapeQueued());
}

TEST_F(PosixInputTest, SequenceSplitByAShortGapIsStillOneKey) {
    Type("\x1b[");
    EXPECT_EQ(PeekKey(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Type("A");
    EXPECT_EQ(PeekKey(), kVkUp);
    EXPECT_EQ(input.Pending(), 1u);
}

TEST_F(PosixInputTest, WaitTimesOutWithoutInput) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(input.WaitForInput(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST_F(PosixInputTest, ClosedInputPressesEscapeOnce) {
    Type("m");
    ::close(fds[1]);
    fds[1] = -1;
    EXPECT_EQ(PeekKey(), kVkM);
    input.FlushConsoleInputBuffer();
    // Nobody can type any more: the game is told to quit rather than wait forever.
    EXPECT_TRUE(input.WaitForInput(1000));
    EXPECT_EQ(PeekKey(), kVkEscape);
    input.Pump(0);
    EXPECT_EQ(input.Pending(), 1u);
}

}  // namespace
}  // namespace zumbrik
