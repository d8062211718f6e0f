#pragma once
#include <cstdio>
#include <string>

namespace zumbrik {

// The few system calls the tool's files need, for both systems.

// Module and WAV bytes pass through standard input and output unchanged
// (Windows would otherwise translate line ends in them).
void UseBinaryMode(std::FILE* stream);

// Whether the stream is a terminal (progress, and no WAV bytes onto one).
bool IsTerminal(std::FILE* stream);

// Creates a file that did not exist, for binary writing; null with errno
// set when it exists already or cannot be made.
std::FILE* CreateNewFile(const std::string& path);

// This process's id, to tell its temporary files from another's.
unsigned long ProcessId();

}  // namespace zumbrik
