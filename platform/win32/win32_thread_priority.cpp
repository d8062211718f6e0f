#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#if defined(__MINGW32__)
#include <pthread.h>
#endif

#include "platform/thread_priority.h"

namespace zumbrik {

void RaiseThreadPriority(std::thread& thread) {
#if defined(__MINGW32__)
    // MinGW's std::thread runs on its POSIX thread layer: the system handle is behind it.
    SetThreadPriority(pthread_gethandle(thread.native_handle()), THREAD_PRIORITY_TIME_CRITICAL);
#else
    SetThreadPriority(thread.native_handle(), THREAD_PRIORITY_TIME_CRITICAL);
#endif
}

}  // namespace zumbrik
