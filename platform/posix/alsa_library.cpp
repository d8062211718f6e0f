#include "platform/posix/alsa_library.h"

#include <dlfcn.h>


namespace zumbrik {

namespace {

constexpr const char* kLibraryName = "libasound.so.2";

struct LoadedCalls {
    AlsaCalls calls{};
    bool loaded = false;
    std::string problem;
};

template <typename Function>
bool Find(void* library, const char* name, Function& function, std::string& problem) {
    void* address = dlsym(library, name);
    if (address == nullptr) {
        problem = std::string(kLibraryName) + ": no " + name;
        return false;
    }
    function = reinterpret_cast<Function>(address);
    return true;
}

LoadedCalls Load() {
    LoadedCalls result;
    // Never closed: threads left behind in a stuck output may still be inside it.
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        result.problem = reason != nullptr ? reason : kLibraryName;
        return result;
    }
    AlsaCalls& c = result.calls;
    std::string& p = result.problem;
    result.loaded = Find(library, "snd_pcm_open", c.pcmOpen, p) &&
                    Find(library, "snd_pcm_set_params", c.pcmSetParams, p) &&
                    Find(library, "snd_pcm_get_params", c.pcmGetParams, p) &&
                    Find(library, "snd_pcm_writei", c.pcmWritei, p) &&
                    Find(library, "snd_pcm_wait", c.pcmWait, p) &&
                    Find(library, "snd_pcm_recover", c.pcmRecover, p) &&
                    Find(library, "snd_pcm_delay", c.pcmDelay, p) &&
                    Find(library, "snd_pcm_drop", c.pcmDrop, p) &&
                    Find(library, "snd_pcm_prepare", c.pcmPrepare, p) &&
                    Find(library, "snd_pcm_close", c.pcmClose, p) &&
                    Find(library, "snd_strerror", c.strerror, p) &&
                    Find(library, "snd_lib_error_set_handler", c.libErrorSetHandler, p);
    return result;
}

}  // namespace

const AlsaCalls* LoadAlsaCalls(std::string& problem) {
    static const LoadedCalls loaded = Load();
    if (!loaded.loaded) {
        problem = loaded.problem;
        return nullptr;
    }
    return &loaded.calls;
}

}  // namespace zumbrik
