#pragma once

#include "platform/web/key_value_store.h"

namespace zumbrik {

// The page's window.localStorage.
class LocalStorage final : public KeyValueStore {
public:
    KeyRead Get(std::string_view key, std::string& value) override;
    bool Set(std::string_view key, std::string_view value, std::string& reason) override;
    void Remove(std::string_view key) override;
    std::vector<std::string> Keys(std::string_view prefix) override;
};

}  // namespace zumbrik
