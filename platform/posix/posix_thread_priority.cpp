#include <pthread.h>
#include <sched.h>

#include "platform/thread_priority.h"

namespace zumbrik {

void RaiseThreadPriority(std::thread& thread) {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
}

}  // namespace zumbrik
