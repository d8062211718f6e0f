#pragma once
#include <thread>

namespace zumbrik {

// Moves the thread to real-time scheduling where the system allows it; a
// refusal is ignored and the thread runs on at normal priority.
void RaiseThreadPriority(std::thread& thread);

}  // namespace zumbrik
