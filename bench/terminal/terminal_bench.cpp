// Plays a scripted game on virtual time and presents every frame the game
// sleeps on into a counting sink, as the terminal front end would. Prints the
// bytes a frame costs in each situation and the CPU the game thread spends.
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "game/run_game.h"
#include "platform/memory_console/memory_console.h"
#include "platform/posix/byte_sink.h"
#include "platform/posix/screen_presenter.h"
#include "platform/virtual/manual_clock.h"
#include "platform/virtual/scripted_input.h"

namespace zumbrik {
namespace {

class CountingSink final : public ByteSink {
public:
    void Write(std::string_view bytes) override { bytes_ += bytes.size(); }
    std::uint64_t Bytes() const { return bytes_; }

private:
    std::uint64_t bytes_ = 0;
};

double ThreadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Sums and extremes of one kind of frame.
struct Tally {
    std::uint64_t frames = 0;
    std::uint64_t bytes = 0;
    std::uint64_t most = 0;
    void Add(std::uint64_t b) {
        ++frames;
        bytes += b;
        most = std::max(most, b);
    }
    double Average() const { return frames == 0 ? 0.0 : static_cast<double>(bytes) / static_cast<double>(frames); }
};

// The left panel mirrors the well; it is redrawn after every lock, and shows
// only zeros again when a new game starts.
std::uint64_t DigitsSignature(const ScreenBuffer& buffer, bool* empty) {
    std::uint64_t hash = 1469598103934665603ull;
    *empty = true;
    for (int row = 1; row <= 28 && row < buffer.Height(); ++row) {
        for (int column = 1; column <= 24 && column < buffer.Width(); ++column) {
            const char16_t digit = buffer.At(column, row).character;
            hash = (hash ^ digit) * 1099511628211ull;
            if (digit != u'0') *empty = false;
        }
    }
    return hash;
}

constexpr std::uint64_t kSteadyUntilMs = 8'000;  // the first piece falls untouched
constexpr std::uint64_t kQuitAtMs = 240'000;

// No other key comes near the pause: one in the same pass as P would be
// flushed together with it.
constexpr std::uint64_t kPauseAtMs = 60'000;
constexpr std::uint64_t kResumeAtMs = 64'000;
bool NearThePause(std::uint64_t t) { return t + 1'000 > kPauseAtMs && t < kResumeAtMs + 1'000; }

void Script(ScriptedInput& input) {
    // Every 700 ms: turn the new piece, shift it a varying way to the left
    // or right (spreading the pieces over the well), drop it.
    std::uint64_t cycle = 0;
    for (std::uint64_t t = kSteadyUntilMs; t < kQuitAtMs - 5'000; t += 700, ++cycle) {
        if (NearThePause(t)) continue;
        input.KeyDownAt(t, kVkUp);
        const std::uint16_t way = cycle % 2 == 0 ? kVkLeft : kVkRight;
        for (std::uint64_t step = 0; step < cycle * 5 % 12; ++step) input.KeyDownAt(t + 50 + step * 40, way);
        input.KeyDownAt(t + 600, kVkDown);
    }
    input.KeyDownAt(kPauseAtMs, kVkP);
    input.KeyDownAt(kResumeAtMs, kVkP);
    // A new game whenever one has ended.
    for (std::uint64_t t = 20'000; t < kQuitAtMs; t += 2'000)
        if (!NearThePause(t)) input.KeyDownAt(t + 50, kVkReturn);
    input.KeyDownAt(kQuitAtMs, kVkEscape);
}

int Run() {
    MemoryConsole console;
    CountingSink sink;
    ScreenPresenter presenter(sink);
    presenter.SetTerminalSize(80, 30);
    ManualClock clock;
    ScriptedInput input(clock);
    Script(input);

    Tally steady, moved, lock, newGame, full, all;
    std::uint64_t passes = 0, sleeps = 0, digits = 0;
    double presentMs = 0;
    clock.OnEverySleep([&](std::uint32_t ms) {
        ++sleeps;
        if (ms == 20) ++passes;
        const std::uint64_t fullBefore = presenter.FullRepaints();
        const double start = ThreadCpuMs();
        const std::uint64_t bytes = presenter.Present(console);
        presentMs += ThreadCpuMs() - start;
        all.Add(bytes);
        bool empty = false;
        const std::uint64_t signature = DigitsSignature(console.Active(), &empty);
        if (presenter.FullRepaints() != fullBefore) {
            full.Add(bytes);
        } else if (signature != digits) {
            (empty ? newGame : lock).Add(bytes);
        } else if (clock.NowMs() <= kSteadyUntilMs && ms == 20) {
            steady.Add(bytes);
            if (bytes != 0) moved.Add(bytes);
        }
        digits = signature;
    });

    const double start = ThreadCpuMs();
    RunGame(console, input, clock);
    const double gameMs = ThreadCpuMs() - start;

    const double perPassMs = passes == 0 ? 0 : gameMs / static_cast<double>(passes);

    std::printf("Terminal presenter, scripted game: %llu passes, %llu frames presented, %.0f s of game time\n",
                static_cast<unsigned long long>(passes), static_cast<unsigned long long>(sleeps),
                static_cast<double>(clock.NowMs()) / 1000.0);
    std::printf("  steady falling : %6.1f bytes per pass on average (%llu passes), at most %llu\n", steady.Average(),
                static_cast<unsigned long long>(steady.frames), static_cast<unsigned long long>(steady.most));
    std::printf("  ...of which    : %6.1f bytes per pass that moved the piece a row (%llu passes)\n", moved.Average(),
                static_cast<unsigned long long>(moved.frames));
    std::printf("  per lock       : %6.1f bytes on average (%llu locks), at most %llu\n",
                lock.Average(), static_cast<unsigned long long>(lock.frames),
                static_cast<unsigned long long>(lock.most));
    std::printf("  per new game   : %6.1f bytes on average (%llu)\n", newGame.Average(),
                static_cast<unsigned long long>(newGame.frames));
    std::printf("  full repaint   : %6.1f bytes on average (%llu: start and pause switches), at most %llu\n",
                full.Average(), static_cast<unsigned long long>(full.frames), static_cast<unsigned long long>(full.most));
    std::printf("  all frames     : %6.1f bytes per frame on average\n", all.Average());
    std::printf("  CPU, game thread: %.2f ms per 1000 passes (presenting %.2f ms of it) = %.3f %% of a core at 50 passes/s\n",
                perPassMs * 1000.0, passes == 0 ? 0 : presentMs / static_cast<double>(passes) * 1000.0,
                perPassMs / 20.0 * 100.0);
    return 0;
}

}  // namespace
}  // namespace zumbrik

int main() { return zumbrik::Run(); }
