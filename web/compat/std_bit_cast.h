// Forced into every file of the web build: Debian 12's Emscripten ships
// libc++ 13, which has no std::bit_cast yet; its clang has the builtin that
// later libraries define it with.
#pragma once
#include <bit>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
