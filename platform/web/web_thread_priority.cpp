#include "platform/thread_priority.h"

namespace zumbrik {

// The page's player runs in the browser's audio thread, which the browser
// schedules itself; the game's own player never starts a thread there.
void RaiseThreadPriority(std::thread&) {}

}  // namespace zumbrik
