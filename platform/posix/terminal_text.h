#pragma once
#include <string>
#include <string_view>

namespace zumbrik {

void AppendDecimal(std::string& out, unsigned value);

// Appends one console cell's character as UTF-8. The terminal must advance by
// exactly one column per cell, so anything that would not (control codes,
// which could also smuggle escape sequences, lone surrogates, combining marks,
// double-width characters) is shown as a one-column stand-in instead.
void AppendCellGlyph(std::string& out, char16_t unit);

// Appends a UTF-16 text (e.g. the window title) as UTF-8, pairing surrogates
// and leaving out every control character.
void AppendUtf8Text(std::string& out, std::u16string_view text);

// Appends one code point as UTF-8; the caller has checked it is valid.
void AppendCodePoint(std::string& out, char32_t codePoint);

}  // namespace zumbrik
