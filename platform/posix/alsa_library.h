#pragma once
#include <alsa/asoundlib.h>

#include <string>

namespace zumbrik {

// The ALSA calls the sound output makes, found in libasound.so.2 when the
// first one is needed rather than when a program starts: a program that
// never plays through the system's output (one that only renders) then runs
// on a machine without ALSA, and nothing links against it.
struct AlsaCalls {
    decltype(&snd_pcm_open) pcmOpen;
    decltype(&snd_pcm_set_params) pcmSetParams;
    decltype(&snd_pcm_get_params) pcmGetParams;
    decltype(&snd_pcm_writei) pcmWritei;
    decltype(&snd_pcm_wait) pcmWait;
    decltype(&snd_pcm_recover) pcmRecover;
    decltype(&snd_pcm_delay) pcmDelay;
    decltype(&snd_pcm_drop) pcmDrop;
    decltype(&snd_pcm_prepare) pcmPrepare;
    decltype(&snd_pcm_close) pcmClose;
    decltype(&snd_strerror) strerror;
    decltype(&snd_lib_error_set_handler) libErrorSetHandler;
};

// The calls, loaded once and kept for the life of the program; null when
// the library or one of its calls cannot be found, with the loader's reason
// in `problem`. Safe to call from any thread.
const AlsaCalls* LoadAlsaCalls(std::string& problem);

}  // namespace zumbrik
