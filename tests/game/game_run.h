#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/game_loop.h"
#include "game/run_game.h"
#include "game/score_keeping.h"
#include "platform/memory_console/memory_console.h"
#include "platform/virtual/manual_clock.h"
#include "platform/virtual/scripted_input.h"

namespace zumbrik::testing {

// Input that counts how the game looks at it, and gives up on a game that
// polls endlessly without letting time pass.
class CountingInput final : public ConsoleInput {
public:
    explicit CountingInput(ScriptedInput& inner) : inner_(inner) {}
    bool PeekConsoleInputW(InputRecord* record) override;
    void FlushConsoleInputBuffer() override { inner_.FlushConsoleInputBuffer(); }
    bool WaitForInput(std::uint32_t timeoutMs) override {
        ++waits;
        peeksSinceWait = 0;
        return inner_.WaitForInput(timeoutMs);
    }
    std::uint64_t peeks = 0;
    std::uint64_t waits = 0;
    std::uint64_t peeksSinceWait = 0;

private:
    ScriptedInput& inner_;
};

// One run of the whole game on the memory console, with virtual time. Passes
// are counted by their 20 ms sleeps, so scripts stay in step however long
// row flashes or pauses take.
class GameRun {
public:
    // 10:20:30 UTC, the fixed seed of most tests.
    explicit GameRun(SystemTime timeOfDay = SystemTime{2026, 12, 1, 7, 10, 20, 30, 0});

    // After the n-th pass (1-based) has slept, before the next pass.
    void AfterPass(std::uint64_t pass, std::function<void()> action);
    void KeyAfterPass(std::uint64_t pass, std::uint16_t virtualKey) {
        AfterPass(pass, [this, virtualKey] { script.KeyDown(virtualKey); });
    }
    // After every pass, with its number, before the actions for that pass.
    std::function<void(std::uint64_t pass)> everyPass;
    // After the n-th 50 ms frame of the pause screens, counted over the run.
    void AfterPauseFrame(std::uint64_t frame, std::function<void()> action);
    // Runs the game to its end; the script must quit it.
    int Run();

    std::uint64_t Passes() const { return passes_; }
    std::uint64_t PauseFrames() const { return pauseFrames_; }
    const ScreenBuffer& Screen() const { return console.Active(); }
    // The active buffer's cells as rows of text, for comparing whole screens.
    std::vector<std::u16string> ScreenText() const;
    std::vector<ColourAttribute> ScreenAttributes() const;

    // Where the run records its games; none by default.
    ScoreBook* scores = nullptr;
    GameOptions options;
    MemoryConsole console;
    ManualClock clock;
    ScriptedInput script;
    CountingInput input;

private:
    std::uint64_t passes_ = 0;
    std::uint64_t pauseFrames_ = 0;
    std::multimap<std::uint64_t, std::function<void()>> afterPass_;
    std::multimap<std::uint64_t, std::function<void()>> afterFrame_;
};

// Steps the game as the terminal runs it, waiting as each step asks, until
// the pass in hand has had its 20 ms (true) or the game quits (false).
bool WholePass(GameIo& io, GameState& state);

// The text of `length` cells from (column, row) of a buffer.
std::u16string TextAt(const ScreenBuffer& buffer, int column, int row, int length);
// True when every one of `length` cells from (column, row) has the attribute.
bool AttributeRun(const ScreenBuffer& buffer, int column, int row, int length, ColourAttribute attribute);

}  // namespace zumbrik::testing
