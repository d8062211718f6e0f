// The game's entry points for its page (site/game_page.js). A session is one
// run of the game, from start-up to Escape; the page steps it on a timer,
// waiting between steps as each asks, and hands it the keys.
#include <emscripten.h>

#include <memory>
#include <random>
#include <string>

#include "game/game_loop.h"
#include "game/score_keeping.h"
#include "platform/memory_console/memory_console.h"
#include "platform/posix/screen_presenter.h"
#include "platform/web/local_storage.h"
#include "platform/web/web_clock.h"
#include "platform/web/web_input.h"
#include "platform/web/web_score_store.h"
#include "platform/web/xterm_sink.h"
#include "player/background/module_player.h"

namespace zumbrik {

namespace {

// Names this page to the others of the site open at once, for the table's lock.
std::string PageName() {
    std::random_device random;
    return "page-" + std::to_string(random()) + "-" + std::to_string(random());
}

struct Page {
    MemoryConsole console;
    WebInput input;
    WebClock clock;
    LocalStorage storage;
    WebScoreStore store{storage, clock, PageName()};
    ScoreBook book{store, {}};
    XtermSink sink;
    ScreenPresenter presenter{sink};
    GameIo io{console, input, clock, &book};
    // The session's state; none between sessions.
    std::unique_ptr<GameState> state;
    bool waitsForKey = false;
    std::string notes;
};

// Never destroyed: the page ends without the program's end.
Page& ThePage() {
    static Page* const page = new Page();
    return *page;
}

}  // namespace

}  // namespace zumbrik

using zumbrik::ThePage;

extern "C" {

// A new session: the game starts up as a fresh program would.
EMSCRIPTEN_KEEPALIVE void zumbrik_game_start() {
    auto& page = ThePage();
    page.presenter.SetTerminalSize(zumbrik::kScreenSize.X, zumbrik::kScreenSize.Y);
    page.book.notes.clear();
    page.input.FlushConsoleInputBuffer();
    page.state = std::make_unique<zumbrik::GameState>();
    zumbrik::StartGame(page.io, *page.state);
    page.presenter.Present(page.console);
}

// One step, then the screen brought up to date. The milliseconds to wait
// before the next step, or -1 once the session has ended (Escape): the game
// was recorded as at a quit, and its last screen stays.
EMSCRIPTEN_KEEPALIVE int zumbrik_game_step() {
    auto& page = ThePage();
    if (!page.state) return -1;
    const zumbrik::NextStep next = zumbrik::GameStep(page.io, *page.state);
    page.waitsForKey = next.kind == zumbrik::NextStep::Kind::KeyOrTimeout;
    if (next.kind == zumbrik::NextStep::Kind::Quit) {
        zumbrik::LeaveGame(page.io, *page.state);
        page.state.reset();
        return -1;
    }
    page.presenter.Present(page.console);
    return static_cast<int>(next.ms);
}

// 1 when the last step waits for a key: the page steps again at the next one.
EMSCRIPTEN_KEEPALIVE int zumbrik_game_waits_for_key() { return ThePage().waitsForKey ? 1 : 0; }

// A key pressed: Windows' virtual-key code (0xFF for a key the game has no use for).
EMSCRIPTEN_KEEPALIVE void zumbrik_game_key(int virtualKey) {
    ThePage().input.KeyDown(static_cast<std::uint16_t>(virtualKey));
}

// The game's music switch and pause screen, as they set the player's pause
// flag; the page's worklet follows it.
EMSCRIPTEN_KEEPALIVE int zumbrik_game_music_paused() { return zumbrik::ModulePaused() ? 1 : 0; }

// What the score table had to say during the session, one note a line.
EMSCRIPTEN_KEEPALIVE const char* zumbrik_game_notes() {
    auto& page = ThePage();
    page.notes.clear();
    for (const std::string& note : page.book.notes) page.notes += note + "\n";
    return page.notes.c_str();
}

}  // extern "C"
