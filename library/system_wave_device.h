#pragma once

namespace zumbrik {

// The host system's sound output for the library's background player, made
// on first use and kept for the life of the program (the player stops itself
// at exit before it goes). Both may be called from any thread.

// Installs the default output, unless an output is installed already.
void EnsureSystemWaveDevice();

// Stops the music and installs the named output for the next play: an ALSA
// PCM name, null for "default". Windows has the one wave mapper and ignores
// the name. False, with nothing changed, when there is no memory for it.
bool NameSystemWaveDevice(const char* name);

}  // namespace zumbrik
