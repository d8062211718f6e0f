#include "app/xm_tool/interrupt_watch.h"

#include <atomic>
#include <csignal>

namespace zumbrik {

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

constexpr int kWatched[] = {SIGINT, SIGTERM};
using Handler = void (*)(int);
Handler g_previous[std::size(kWatched)] = {};

extern "C" void RecordSignal(int signal) {
    g_signal.store(signal, std::memory_order_relaxed);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    g_signal.store(0, std::memory_order_relaxed);
    for (std::size_t i = 0; i < std::size(kWatched); ++i) {
        g_previous[i] = std::signal(kWatched[i], RecordSignal);
        if (g_previous[i] == SIG_IGN) std::signal(kWatched[i], SIG_IGN);
    }
}

InterruptWatch::~InterruptWatch() {
    for (std::size_t i = 0; i < std::size(kWatched); ++i) {
        if (g_previous[i] != SIG_ERR) std::signal(kWatched[i], g_previous[i]);
    }
}

int InterruptWatch::Signal() const {
    return g_signal.load(std::memory_order_relaxed);
}

int InterruptedStatus(int signal) {
    return 128 + signal;
}

void EndAsInterrupted(int signal) {
#ifndef _WIN32
    std::signal(signal, SIG_DFL);
    std::raise(signal);
#else
    // The console's Ctrl+C ends a program with an exit code of its own; the
    // status is what a script can test.
    (void)signal;
#endif
}

}  // namespace zumbrik
