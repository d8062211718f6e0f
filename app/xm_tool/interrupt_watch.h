#pragma once

namespace zumbrik {

// While one lives, SIGINT and SIGTERM only raise a flag that a long task
// polls, so it can stop and clean up instead of dying half done. A signal the
// process was started ignoring (a background job's SIGINT) stays ignored.
// One at a time: the flag is process-wide.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The signal that arrived, or 0.
    int Signal() const;
};

// The exit status of a program stopped by that signal: 128 + its number.
int InterruptedStatus(int signal);

// After a clean-up, ends the program the way the signal would have, so a
// shell running it in a loop sees the interruption and stops too; where the
// system has no such ending, returns and the caller exits with the status.
void EndAsInterrupted(int signal);

}  // namespace zumbrik
