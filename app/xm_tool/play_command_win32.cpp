// `zumbrik-xm play` in the Windows console: the module through winmm, keys
// from the console's input queue, a status line rewritten in place.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_control.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/winmm_wave_device.h"
#include "player/module_player.h"

namespace zumbrik {

namespace {

std::atomic<bool> quitRequested{false};

// Ctrl+C and closing the window end the session instead of the process, so
// the player is stopped and the device closed.
BOOL WINAPI OnConsoleControl(DWORD) {
    quitRequested.store(true);
    return TRUE;
}

// The oldest pending key press as a play key, if it is one; every pending
// record is dropped.
bool ReadKey(Win32Input& keys, PlayKey& playKey) {
    InputRecord record{};
    const bool got = keys.PeekConsoleInputW(&record);
    keys.FlushConsoleInputBuffer();
    if (!got || record.EventType != kKeyEvent || record.Event.KeyEvent.bKeyDown == 0) return false;
    const KeyEventRecord& key = record.Event.KeyEvent;
    if (key.wVirtualKeyCode == kVkLeft) {
        playKey = PlayKey::PreviousOrder;
        return true;
    }
    if (key.wVirtualKeyCode == kVkRight) {
        playKey = PlayKey::NextOrder;
        return true;
    }
    switch (key.UnicodeChar) {
        case u' ': playKey = PlayKey::Pause; return true;
        case u'+': case u'=': playKey = PlayKey::Louder; return true;
        case u'-': case u'_': playKey = PlayKey::Softer; return true;
        case u'q': case u'Q': playKey = PlayKey::Quit; return true;
        default: return false;
    }
}

}  // namespace

int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: zumbrik-xm play FILE\n";
        return 2;
    }
    const std::string& path = args[0];
    static WinmmWaveDevice device;
    PlayControl control;
    if (!control.Start(path, device, err)) return 1;

    quitRequested.store(false);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    Win32Input keys;
    while (!quitRequested.load()) {
        // Without a console there are no keys: it plays on until Ctrl+C.
        PlayKey key{};
        if (keys.WaitForInput(100) && ReadKey(keys, key) && !control.Act(key)) quitRequested.store(true);
        out << '\r' << control.StatusLine() << std::flush;
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    control.Finish();
    out << '\n' << std::flush;
    return 0;
}

}  // namespace zumbrik
