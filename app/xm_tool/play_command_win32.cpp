// `zumbrik-xm play` in the Windows console: the module through winmm, keys
// from the console's input queue, a status line rewritten in place.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/play_status.h"
#include "app/xm_tool/module_file.h"
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

// Acts on the oldest pending key, if it is a key press, and drops the rest.
void HandleKey(Win32Input& keys, std::uint32_t& volumeLevel) {
    InputRecord record{};
    const bool got = keys.PeekConsoleInputW(&record);
    keys.FlushConsoleInputBuffer();
    if (!got || record.EventType != kKeyEvent || record.Event.KeyEvent.bKeyDown == 0) return;
    const KeyEventRecord& key = record.Event.KeyEvent;
    const std::uint32_t order = GetPlayingPosition() >> 16;
    if (key.wVirtualKeyCode == kVkLeft) JumpToOrder(order > 0 ? order - 1 : 0);
    if (key.wVirtualKeyCode == kVkRight) JumpToOrder(order + 1);
    switch (key.UnicodeChar) {
        case u' ': ModulePaused() ? ResumeModule() : PauseModule(); break;
        case u'+': case u'=': SetMasterVolume(volumeLevel = std::min(volumeLevel + 1, 25u)); break;
        case u'-': case u'_': SetMasterVolume(volumeLevel = volumeLevel > 0 ? volumeLevel - 1 : 0); break;
        case u'q': case u'Q': quitRequested.store(true); break;
        default: break;
    }
}

}  // namespace

int PlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: zumbrik-xm play FILE\n";
        return 2;
    }
    const std::string& path = args[0];
    // Loaded once here too, to tell a bad module from a missing sound device.
    std::uint32_t songLength = 0;
    {
        const auto module = LoadModuleFile(path, err);
        if (!module) return 1;
        songLength = module->state.songLength;
    }

    static WinmmWaveDevice device;
    UseWaveDevice(&device);
    std::uint32_t volumeLevel = 25;
    SetMasterVolume(volumeLevel);
    if (PlayModule(reinterpret_cast<std::uintptr_t>(path.c_str()), 0, FileSource) == 0) {
        UseWaveDevice(nullptr);
        err << "zumbrik-xm: no sound output device could be opened\n";
        return 1;
    }

    quitRequested.store(false);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    Win32Input keys;
    while (!quitRequested.load()) {
        // Without a console there are no keys: it plays on until Ctrl+C.
        if (keys.WaitForInput(100)) HandleKey(keys, volumeLevel);
        out << '\r' << PlayStatusLine(songLength, volumeLevel) << std::flush;
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    StopModule();
    UseWaveDevice(nullptr);
    ResumeModule();
    SetMasterVolume(25);
    out << '\n' << std::flush;
    return 0;
}

}  // namespace zumbrik
