#include "console/console_text.h"

namespace zumbrik {

std::uint32_t TextLength(const char16_t* text) {
    std::uint32_t length = 0;
    while (text[length] != u'\0') ++length;
    return length;
}

FormattedText FormatUnsigned(const char16_t* format, std::uint32_t value) {
    FormattedText out;
    std::uint32_t n = 0;
    const std::uint32_t last = FormattedText::kCapacity - 1;  // room for the terminator
    for (const char16_t* p = format; *p != u'\0' && n < last; ++p) {
        if (p[0] == u'%' && p[1] == u'u') {
            char16_t digits[10];
            int count = 0;
            std::uint32_t rest = value;
            do {
                digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
                rest /= 10;
            } while (rest != 0);
            while (count > 0 && n < last) out.text[n++] = digits[--count];
            ++p;
        } else {
            out.text[n++] = *p;
        }
    }
    out.text[n] = u'\0';
    return out;
}

void WriteText(ConsoleBuffer buffer, Coord start, const char16_t* text, ColourAttribute attribute) {
    const std::uint32_t length = TextLength(text);
    buffer.surface.WriteConsoleOutputCharacterW(buffer.handle, text, length, start);
    buffer.surface.FillConsoleOutputAttribute(buffer.handle, attribute, length, start);
}

void WriteCell(ConsoleBuffer buffer, Coord at, char16_t character, ColourAttribute attribute) {
    buffer.surface.WriteConsoleOutputCharacterW(buffer.handle, &character, 1, at);
    buffer.surface.WriteConsoleOutputAttribute(buffer.handle, &attribute, 1, at);
}

}  // namespace zumbrik
