#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "app/xm_tool/play_control.h"
#include "app/xm_tool/play_list.h"
#include "platform/wave_device.h"

namespace zumbrik {

// What a system lends a play session: its keys, the signal that asks it to
// stop, and a status line drawn in place.
class PlayTerminal {
public:
    virtual ~PlayTerminal() = default;
    // Waits up to timeoutMs for key presses and appends the play keys among
    // them; a signal may end the wait early.
    virtual void WaitForKeys(int timeoutMs, std::vector<PlayKey>& keys) = 0;
    // The signal number that asked the session to stop; 0 while none has.
    virtual int QuitSignal() = 0;
    virtual int Columns() = 0;
    // Replaces the status line; EndStatusLine leaves it standing and moves on.
    virtual void ShowStatus(const std::string& line) = 0;
    virtual void EndStatusLine() = 0;
};

// `zumbrik-xm play`: the files one after another through the background
// player, each to the end of its song (or looping), with n and p to move
// between them, until the last ends, q, or a signal. Each song starts with a
// heading line (file n of N, name, title) above its status line; h and ?
// print the keys above it. A file that cannot be played is reported on err
// and skipped. Returns the exit status: 0, 1 when a
// file failed or there is no sound device, 128 + the signal that stopped it.
int RunPlayList(const PlayOptions& options, WaveDevice& device, PlayTerminal& terminal, std::ostream& err);

#ifndef _WIN32
// The POSIX session over a device and key input: a terminal on keyFd is put
// in raw mode (and always restored), the status line goes to out and, when
// outFd is a terminal, measures itself by it. SIGINT and SIGTERM stop the
// session (a second one ends the process at once). Returns the exit status.
int PlayWithDevice(const std::vector<std::string>& args, WaveDevice& device, int keyFd, int outFd, std::ostream& out,
                   std::ostream& err);
#endif

}  // namespace zumbrik
