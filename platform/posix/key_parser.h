#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zumbrik {

// The platform's code for "a key the game has no use for": it still arrives
// as one key-down event, so it is consumed like any other key.
inline constexpr std::uint16_t kVkUnused = 0xFF;

struct TerminalKey {
    enum class Kind : std::uint8_t { Key, Repaint };
    Kind kind = Kind::Key;
    std::uint16_t virtualKey = kVkUnused;
    char16_t character = 0;
};

// Turns the bytes a terminal sends for key presses into keys. Sequences may
// arrive split over several reads. A lone ESC cannot be told from the start
// of a sequence by its bytes alone: it stays pending until more bytes come or
// the caller decides, after a short silence, to Expire() it.
class KeyParser {
public:
    void Feed(const unsigned char* bytes, std::size_t count, std::vector<TerminalKey>& out);
    // Ends whatever sequence is pending: a lone ESC becomes Escape, anything
    // else one unused key.
    void Expire(std::vector<TerminalKey>& out);
    bool Pending() const { return state_ != State::Ground; }
    void Reset();

private:
    enum class State : std::uint8_t { Ground, Escape, Csi, Ss3, Utf8 };

    void Ground(unsigned char byte, std::vector<TerminalKey>& out);
    void Emit(std::uint16_t virtualKey, char16_t character, std::vector<TerminalKey>& out);

    State state_ = State::Ground;
    bool alt_ = false;           // ESC came before a plain key: Alt held
    bool intermediate_ = false;  // the CSI sequence has intermediate bytes
    int utf8Needed_ = 0;
    char32_t utf8Value_ = 0;
};

}  // namespace zumbrik
