#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zumbrik {

// Found, Missing, or Unavailable when the browser refuses the storage itself
// (site data switched off, a private window that allows none).
enum class KeyRead { Found, Missing, Unavailable };

// A site's storage in the browser as the score store uses it: text under text
// keys, shared by every page of the site that is open. Each call is whole: a
// write leaves either the old value or the new one, never a part.
class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;
    virtual KeyRead Get(std::string_view key, std::string& value) = 0;
    // False, with the reason, when the storage is full or refused.
    virtual bool Set(std::string_view key, std::string_view value, std::string& reason) = 0;
    virtual void Remove(std::string_view key) = 0;
    // Every key that starts with the prefix, in no particular order.
    virtual std::vector<std::string> Keys(std::string_view prefix) = 0;
};

}  // namespace zumbrik
