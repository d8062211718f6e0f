#include "tests/platform/posix/fake_terminal.h"

#include <cstdlib>

namespace zumbrik::testing {

namespace {

std::vector<int> Numbers(std::string_view parameters) {
    std::vector<int> numbers{0};
    for (char c : parameters) {
        if (c == ';') numbers.push_back(0);
        else numbers.back() = numbers.back() * 10 + (c - '0');
    }
    return numbers;
}

}  // namespace

void FakeTerminal::Write(std::string_view bytes) {
    ++writes_;
    bytes_ += bytes.size();
    last_ = bytes;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < bytes.size() && !(bytes[end] >= 0x40 && bytes[end] <= 0x7E)) ++end;
            if (end == bytes.size()) return void(error_ = "unfinished CSI");
            Csi(bytes.substr(i + 2, end - i - 2), bytes[end]);
            i = end + 1;
        } else if (b == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == ']') {
            const std::size_t bell = bytes.find('\x07', i);
            if (bell == std::string_view::npos || bytes.substr(i + 2, 2) != "0;") return void(error_ = "bad OSC");
            title_ = bytes.substr(i + 4, bell - i - 4);
            i = bell + 1;
        } else if (b < 0x20 || b == 0x7F) {
            return void(error_ = "control byte in text");
        } else {
            const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? b : b & (0x7F >> length);
            for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
            Put(c);
            i += static_cast<std::size_t>(length);
        }
    }
}

void FakeTerminal::Csi(std::string_view parameters, char final) {
    if (parameters == "?2026" && (final == 'h' || final == 'l')) {
        inUpdate_ = final == 'h';
        return;
    }
    const std::vector<int> n = Numbers(parameters);
    switch (final) {
        case 'H':
            row_ = (n.size() > 0 && n[0] > 0 ? n[0] : 1) - 1;
            column_ = (n.size() > 1 && n[1] > 0 ? n[1] : 1) - 1;
            break;
        case 'C': column_ += n[0] > 0 ? n[0] : 1; break;
        case 'J':
            if (n[0] != 2) error_ = "partial clear";
            for (Cell& cell : cells_) cell = Cell{U' ', foreground_, background_};
            break;
        case 'm':
            for (int code : n) {
                if (code == 0) foreground_ = 39, background_ = 49;
                else if ((code >= 30 && code <= 37) || (code >= 90 && code <= 97)) foreground_ = code;
                else if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107)) background_ = code;
                else error_ = "unexpected SGR";
            }
            break;
        default: error_ = std::string("unexpected CSI ") + final;
    }
}

void FakeTerminal::Put(char32_t c) {
    if (row_ < 0 || row_ >= rows_ || column_ < 0 || column_ >= columns_) return void(error_ = "text outside the screen");
    cells_[static_cast<std::size_t>(row_ * columns_ + column_)] = Cell{c, foreground_, background_};
    // No autowrap: the cursor stays in the last column.
    if (column_ < columns_ - 1) ++column_;
}

}  // namespace zumbrik::testing
