#include "platform/web/local_storage.h"

#include <emscripten.h>

#include <cstdlib>

namespace {

// Each call catches what the browser throws: storage refused by the user's
// settings, or full. Texts cross as UTF-8 with explicit lengths.

// The value in a block from malloc, or 0 when the key is missing; *state is
// 0 found, 1 missing, 2 storage unavailable.
EM_JS(char*, zumbrik_storage_get, (const char* key, int keyLength, int* state), {
    try {
        const value = localStorage.getItem(UTF8ToString(key, keyLength));
        if (value === null) {
            HEAP32[state >> 2] = 1;
            return 0;
        }
        const size = lengthBytesUTF8(value) + 1;
        const block = _malloc(size);
        stringToUTF8(value, block, size);
        HEAP32[state >> 2] = 0;
        return block;
    } catch (e) {
        HEAP32[state >> 2] = 2;
        return 0;
    }
});

// 1 written, 0 full, -1 refused.
EM_JS(int, zumbrik_storage_set, (const char* key, int keyLength, const char* value, int valueLength), {
    try {
        localStorage.setItem(UTF8ToString(key, keyLength), UTF8ToString(value, valueLength));
        return 1;
    } catch (e) {
        return e && e.name === "QuotaExceededError" ? 0 : -1;
    }
});

EM_JS(void, zumbrik_storage_remove, (const char* key, int keyLength), {
    try {
        localStorage.removeItem(UTF8ToString(key, keyLength));
    } catch (e) {
    }
});

// The keys with the prefix, each followed by a NUL, in a block from malloc.
EM_JS(char*, zumbrik_storage_keys, (const char* prefix, int prefixLength, int* size), {
    let text = "";
    try {
        const start = UTF8ToString(prefix, prefixLength);
        for (let i = 0; i < localStorage.length; ++i) {
            const key = localStorage.key(i);
            if (key !== null && key.startsWith(start)) text += key + String.fromCharCode(0);
        }
    } catch (e) {
    }
    const bytes = lengthBytesUTF8(text);
    const block = _malloc(bytes + 1);
    stringToUTF8(text, block, bytes + 1);
    HEAP32[size >> 2] = bytes;
    return block;
});

int Length(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

namespace zumbrik {

KeyRead LocalStorage::Get(std::string_view key, std::string& value) {
    int state = 2;
    char* block = zumbrik_storage_get(key.data(), Length(key), &state);
    if (block != nullptr) {
        value.assign(block);
        std::free(block);
    }
    return state == 0 ? KeyRead::Found : state == 1 ? KeyRead::Missing : KeyRead::Unavailable;
}

bool LocalStorage::Set(std::string_view key, std::string_view value, std::string& reason) {
    const int written = zumbrik_storage_set(key.data(), Length(key), value.data(), Length(value));
    if (written == 1) return true;
    reason = written == 0 ? "хранилище браузера переполнено" : "хранилище браузера недоступно";
    return false;
}

void LocalStorage::Remove(std::string_view key) { zumbrik_storage_remove(key.data(), Length(key)); }

std::vector<std::string> LocalStorage::Keys(std::string_view prefix) {
    int size = 0;
    char* block = zumbrik_storage_keys(prefix.data(), Length(prefix), &size);
    std::vector<std::string> keys;
    for (std::string_view rest(block, static_cast<std::size_t>(size)); !rest.empty();) {
        const std::size_t end = rest.find('\0');
        keys.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::free(block);
    return keys;
}

}  // namespace zumbrik
