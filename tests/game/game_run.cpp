#include "tests/game/game_run.h"

#include <stdexcept>

#include "game/run_game.h"

namespace zumbrik::testing {

bool CountingInput::PeekConsoleInputW(InputRecord* record) {
    ++peeks;
    // A game that waits properly lets time pass between empty looks.
    if (++peeksSinceWait > 100000) throw std::runtime_error("input polled without waiting");
    return inner_.PeekConsoleInputW(record);
}

GameRun::GameRun(SystemTime timeOfDay) : clock(timeOfDay), script(clock), input(script) {
    clock.SetTimeLimit(3600ull * 1000);
    clock.OnEverySleep([this](std::uint32_t ms) {
        input.peeksSinceWait = 0;
        if (ms != 20 && ms != 50) return;  // row flashes are not passes
        auto& table = ms == 20 ? afterPass_ : afterFrame_;
        const std::uint64_t n = ms == 20 ? ++passes_ : ++pauseFrames_;
        // A copy, so the hook may replace itself while it runs.
        if (ms == 20 && everyPass) {
            const auto hook = everyPass;
            hook(n);
        }
        auto [first, last] = table.equal_range(n);
        std::vector<std::function<void()>> due;
        for (auto it = first; it != last; ++it) due.push_back(it->second);
        for (auto& action : due) action();
    });
}

void GameRun::AfterPass(std::uint64_t pass, std::function<void()> action) { afterPass_.emplace(pass, std::move(action)); }

void GameRun::AfterPauseFrame(std::uint64_t frame, std::function<void()> action) {
    afterFrame_.emplace(frame, std::move(action));
}

int GameRun::Run() { return RunGame(console, input, clock, scores, options); }

std::vector<std::u16string> GameRun::ScreenText() const {
    std::vector<std::u16string> rows;
    for (int r = 0; r < Screen().Height(); ++r) rows.push_back(TextAt(Screen(), 0, r, Screen().Width()));
    return rows;
}

std::vector<ColourAttribute> GameRun::ScreenAttributes() const {
    std::vector<ColourAttribute> cells;
    for (int r = 0; r < Screen().Height(); ++r)
        for (int c = 0; c < Screen().Width(); ++c) cells.push_back(Screen().At(c, r).attribute);
    return cells;
}

bool WholePass(GameIo& io, GameState& state) {
    for (;;) {
        const NextStep next = GameStep(io, state);
        if (next.kind == NextStep::Kind::Quit) return false;
        if (next.kind == NextStep::Kind::KeyOrTimeout) io.input.WaitForInput(next.ms);
        if (next.kind != NextStep::Kind::Sleep) continue;
        io.clock.Sleep(next.ms);
        if (next.ms == kPassMs) return true;
    }
}

std::u16string TextAt(const ScreenBuffer& buffer, int column, int row, int length) {
    std::u16string text;
    for (int k = 0; k < length; ++k) text.push_back(buffer.At(column + k, row).character);
    return text;
}

bool AttributeRun(const ScreenBuffer& buffer, int column, int row, int length, ColourAttribute attribute) {
    for (int k = 0; k < length; ++k)
        if (buffer.At(column + k, row).attribute != attribute) return false;
    return true;
}

}  // namespace zumbrik::testing
