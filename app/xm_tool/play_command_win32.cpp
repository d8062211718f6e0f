// `zumbrik-xm play` in the Windows console: the module through winmm, keys
// from the console's input queue, a status line rewritten in place.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_session.h"
#include "platform/win32/winmm_wave_device.h"

namespace zumbrik {

namespace {

std::atomic<int> quitSignal{0};

// Ctrl+C and closing the window first stop the session, so the player is
// stopped and the device closed; a second Ctrl+C while that happens gets the
// console's own handling, which ends the process at once.
BOOL WINAPI OnConsoleControl(DWORD event) {
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    int none = 0;
    return quitSignal.compare_exchange_strong(none, signal) ? TRUE : FALSE;
}

class ConsolePlay final : public PlayTerminal {
public:
    // moduleOnInput: standard input carries a module, so the keys come from
    // the console window itself when there is one.
    ConsolePlay(std::ostream& out, bool moduleOnInput) : out_(out) {
        DWORD mode = 0;
        keysFromConsole_ = ::GetConsoleMode(in_, &mode) != 0;
        if (!keysFromConsole_ && moduleOnInput) {
            console_ = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
            if (console_ != INVALID_HANDLE_VALUE && ::GetConsoleMode(console_, &mode) != 0) {
                in_ = console_;
                keysFromConsole_ = true;
            }
        }
    }
    ~ConsolePlay() {
        if (console_ != INVALID_HANDLE_VALUE) ::CloseHandle(console_);
    }
    ConsolePlay(const ConsolePlay&) = delete;
    ConsolePlay& operator=(const ConsolePlay&) = delete;

    void WaitForKeys(int timeoutMs, std::vector<PlayKey>& keys) override {
        // Without a console there are no keys: it plays on until the songs or Ctrl+C end it.
        if (!keysFromConsole_) {
            ::Sleep(static_cast<DWORD>(timeoutMs));
            return;
        }
        if (::WaitForSingleObject(in_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return;
        INPUT_RECORD records[32];
        DWORD count = 0;
        if (::GetNumberOfConsoleInputEvents(in_, &count) == 0 || count == 0) return;
        if (::ReadConsoleInputW(in_, records, 32, &count) == 0) return;
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].EventType != KEY_EVENT || records[i].Event.KeyEvent.bKeyDown == 0) continue;
            const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
            char32_t character = static_cast<char32_t>(key.uChar.UnicodeChar);
            if (key.wVirtualKeyCode == VK_LEFT) character = U'←';
            if (key.wVirtualKeyCode == VK_RIGHT) character = U'→';
            PlayKey playKey{};
            if (PlayKeyFor(character, playKey)) keys.push_back(playKey);
        }
    }

    int QuitSignal() override { return quitSignal.load(); }

    int Columns() override {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return 80;
        return info.srWindow.Right - info.srWindow.Left + 1;
    }

    // The console keeps what a shorter line does not cover: spaces do.
    void ShowStatus(const std::string& line) override {
        const std::size_t width = DisplayWidth(line);
        out_ << '\r' << line << std::string(shown_ > width ? shown_ - width : 0, ' ') << std::flush;
        shown_ = width;
    }
    void EndStatusLine() override {
        out_ << '\n' << std::flush;
        shown_ = 0;
    }

private:
    HANDLE in_ = ::GetStdHandle(STD_INPUT_HANDLE);
    HANDLE console_ = INVALID_HANDLE_VALUE;  // the console's input, opened for the keys
    bool keysFromConsole_ = false;
    std::ostream& out_;
    std::size_t shown_ = 0;
};

}  // namespace

int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PlayOptions options;
    if (!ParsePlayArguments(args, options, err)) return 2;
    static WinmmWaveDevice device;
    quitSignal.store(0);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    ConsolePlay console(out, std::find(options.files.begin(), options.files.end(), "-") != options.files.end());
    const int status = RunPlayList(options, device, console, err);
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    return status;
}

}  // namespace zumbrik
