#include "platform/posix/key_parser.h"

#include "platform/console_input.h"

namespace zumbrik {

namespace {

std::uint16_t ArrowKey(unsigned char final) {
    switch (final) {
        case 'A': return kVkUp;
        case 'B': return kVkDown;
        case 'C': return kVkRight;
        case 'D': return kVkLeft;
        default: return kVkUnused;
    }
}

// A virtual-key code names a key, not the letter it types, so the keys at the
// places of F, M and P count as those keys in the Russian layout too.
std::uint16_t LetterKey(char32_t c) {
    switch (c) {
        case U'f': case U'F': case U'а': case U'А': return kVkF;
        case U'm': case U'M': case U'ь': case U'Ь': return kVkM;
        case U'p': case U'P': case U'з': case U'З': return kVkP;
        default: return kVkUnused;
    }
}

char16_t Utf16Unit(char32_t c) { return c < 0x10000 ? static_cast<char16_t>(c) : u'?'; }

}  // namespace

void KeyParser::Reset() {
    state_ = State::Ground;
    alt_ = false;
    intermediate_ = false;
    utf8Needed_ = 0;
    utf8Value_ = 0;
}

void KeyParser::Emit(std::uint16_t virtualKey, char16_t character, std::vector<TerminalKey>& out) {
    // Alt with a key is a different key from the key alone.
    if (alt_) virtualKey = kVkUnused;
    alt_ = false;
    out.push_back(TerminalKey{TerminalKey::Kind::Key, virtualKey, character});
}

void KeyParser::Feed(const unsigned char* bytes, std::size_t count, std::vector<TerminalKey>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char byte = bytes[i];
        switch (state_) {
            case State::Ground:
                Ground(byte, out);
                break;
            case State::Escape:
                if (byte == '[') {
                    state_ = State::Csi;
                    intermediate_ = false;
                } else if (byte == 'O') {
                    state_ = State::Ss3;
                } else if (byte == 0x1B) {
                    // ESC ESC: the first was a key of its own.
                    Emit(kVkEscape, 0x1B, out);
                } else {
                    state_ = State::Ground;
                    alt_ = true;
                    Ground(byte, out);
                }
                break;
            case State::Csi:
                if (byte >= 0x30 && byte <= 0x3F) {
                    // parameter bytes carry modifiers and numbers the game does not need
                } else if (byte >= 0x20 && byte <= 0x2F) {
                    intermediate_ = true;
                } else if (byte >= 0x40 && byte <= 0x7E) {
                    state_ = State::Ground;
                    Emit(intermediate_ ? kVkUnused : ArrowKey(byte), 0, out);
                } else {
                    // A broken sequence: it counts as one key, and the byte starts afresh.
                    state_ = State::Ground;
                    Emit(kVkUnused, 0, out);
                    Ground(byte, out);
                }
                break;
            case State::Ss3:
                state_ = State::Ground;
                if (byte >= 0x40 && byte <= 0x7E) {
                    // ESC O M is the keypad's Enter in application mode.
                    Emit(byte == 'M' ? kVkReturn : ArrowKey(byte), byte == 'M' ? u'\r' : 0, out);
                } else {
                    Emit(kVkUnused, 0, out);
                    Ground(byte, out);
                }
                break;
            case State::Utf8:
                if ((byte & 0xC0) == 0x80) {
                    utf8Value_ = (utf8Value_ << 6) | (byte & 0x3F);
                    if (--utf8Needed_ == 0) {
                        state_ = State::Ground;
                        const bool valid = utf8Value_ <= 0x10FFFF && !(utf8Value_ >= 0xD800 && utf8Value_ <= 0xDFFF);
                        Emit(valid ? LetterKey(utf8Value_) : kVkUnused, valid ? Utf16Unit(utf8Value_) : u'?', out);
                    }
                } else {
                    state_ = State::Ground;
                    Emit(kVkUnused, u'?', out);
                    Ground(byte, out);
                }
                break;
        }
    }
}

void KeyParser::Ground(unsigned char byte, std::vector<TerminalKey>& out) {
    if (byte == 0x1B) {
        // Alt+Escape is still Escape: a pending Alt is dropped.
        alt_ = false;
        state_ = State::Escape;
    } else if (byte == '\r' || byte == '\n') {
        Emit(kVkReturn, u'\r', out);
    } else if (byte == 0x0C) {
        alt_ = false;
        out.push_back(TerminalKey{TerminalKey::Kind::Repaint, 0, 0});
    } else if (byte < 0x80) {
        Emit(LetterKey(byte), static_cast<char16_t>(byte), out);
    } else if (byte >= 0xC2 && byte <= 0xF4) {
        state_ = State::Utf8;
        utf8Needed_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        utf8Value_ = byte & (byte >= 0xF0 ? 0x07 : byte >= 0xE0 ? 0x0F : 0x1F);
    } else {
        // A stray continuation byte or one no UTF-8 text contains.
        Emit(kVkUnused, u'?', out);
    }
}

void KeyParser::Expire(std::vector<TerminalKey>& out) {
    const State pending = state_;
    state_ = State::Ground;
    switch (pending) {
        case State::Ground: break;
        case State::Escape: Emit(kVkEscape, 0x1B, out); break;
        case State::Csi:
        case State::Ss3:
        case State::Utf8: Emit(kVkUnused, 0, out); break;
    }
}

}  // namespace zumbrik
