#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/win32/win32_console.h"

#include <algorithm>

namespace zumbrik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "console text is UTF-16");
static_assert(sizeof(ColourAttribute) == sizeof(WORD));

namespace {

COORD ToCoord(Coord c) { return COORD{c.X, c.Y}; }
const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

// The console's own failure value is INVALID_HANDLE_VALUE; the game's seam
// knows only null, so a buffer that could not be made is handed on as null.
ConsoleHandle FromHandle(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

// Wine marks its ntdll with an export of its own; nothing else is asked of it.
bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine's console on a terminal draws every buffer on the terminal's own
// screen and does not repaint the first one when it becomes active again, so
// the game's picture would stay with the shell prompt inside it. Writing the
// window over makes Wine paint it: blank, with the cursor at its top. Only
// there: a real console shows its own screen again by itself, as it was.
void BlankWindowUnderWine(HANDLE out) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!RunningUnderWine() || ::GetConsoleScreenBufferInfo(out, &info) == 0) return;
    const SMALL_RECT& w = info.srWindow;
    const int width = info.dwSize.X;
    const int rows = w.Bottom - w.Top + 1;
    if (width <= 0 || rows <= 0) return;
    const COORD top{0, w.Top};
    const auto cells = static_cast<DWORD>(width) * static_cast<DWORD>(rows);
    DWORD written = 0;
    ::FillConsoleOutputCharacterW(out, L' ', cells, top, &written);
    ::FillConsoleOutputAttribute(out, info.wAttributes, cells, top, &written);
    ::SetConsoleCursorPosition(out, top);
}

BOOL WINAPI HandBackOnControl(DWORD /*event*/) {
    HandBackConsoleScreen();
    return FALSE;  // the default handling still ends the program
}

}  // namespace

ConsoleHandle Win32Console::CreateConsoleScreenBuffer() {
    return FromHandle(::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr));
}

ConsoleHandle Win32Console::GetStdHandle(std::uint32_t which) { return FromHandle(::GetStdHandle(which)); }

bool Win32Console::SetConsoleCursorInfo(ConsoleHandle buffer, std::uint32_t size, bool visible) {
    const CONSOLE_CURSOR_INFO info{size, visible ? TRUE : FALSE};
    return ::SetConsoleCursorInfo(buffer, &info) != 0;
}

bool Win32Console::SetConsoleScreenBufferSize(ConsoleHandle buffer, Coord size) {
    // The console refuses a buffer smaller than its window, and a new buffer
    // takes the window of the console it belongs to (often 120 columns, or
    // more rows than 30): shrink the window to fit first, then the buffer,
    // then open the window over the whole buffer so nothing needs scrolling.
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (::GetConsoleScreenBufferInfo(buffer, &info) != 0 && size.X > 0 && size.Y > 0) {
        const SMALL_RECT& w = info.srWindow;
        if (w.Right - w.Left + 1 > size.X || w.Bottom - w.Top + 1 > size.Y) {
            const SMALL_RECT fit{0, 0, static_cast<SHORT>(std::min<int>(w.Right - w.Left + 1, size.X) - 1),
                                 static_cast<SHORT>(std::min<int>(w.Bottom - w.Top + 1, size.Y) - 1)};
            ::SetConsoleWindowInfo(buffer, TRUE, &fit);
        }
    }
    if (::SetConsoleScreenBufferSize(buffer, ToCoord(size)) == 0) return false;
    // The window may not grow past the largest the screen allows; a refusal
    // only leaves part of the buffer scrolled out of view.
    const COORD largest = ::GetLargestConsoleWindowSize(buffer);
    const SMALL_RECT whole{0, 0,
                           static_cast<SHORT>((largest.X > 0 ? std::min(size.X, largest.X) : size.X) - 1),
                           static_cast<SHORT>((largest.Y > 0 ? std::min(size.Y, largest.Y) : size.Y) - 1)};
    ::SetConsoleWindowInfo(buffer, TRUE, &whole);
    return true;
}

bool Win32Console::SetConsoleActiveScreenBuffer(ConsoleHandle buffer) {
    return ::SetConsoleActiveScreenBuffer(buffer) != 0;
}

bool Win32Console::SetConsoleTitleW(const char16_t* title) { return ::SetConsoleTitleW(Wide(title)) != 0; }

WindowHandle Win32Console::GetConsoleWindow() { return ::GetConsoleWindow(); }

bool Win32Console::GetWindowRect(WindowHandle window, WindowRect* rect) {
    RECT r;
    if (rect == nullptr || ::GetWindowRect(static_cast<HWND>(window), &r) == 0) return false;
    *rect = WindowRect{r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32Console::MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint) {
    return ::MoveWindow(static_cast<HWND>(window), x, y, width, height, repaint ? TRUE : FALSE) != 0;
}

std::uint32_t Win32Console::WriteConsoleOutputCharacterW(ConsoleHandle buffer, const char16_t* text,
                                                         std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::WriteConsoleOutputCharacterW(buffer, Wide(text), length, ToCoord(start), &written) == 0) return 0;
    return written;
}

std::uint32_t Win32Console::WriteConsoleOutputCharacterA(ConsoleHandle buffer, const char* text,
                                                         std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::WriteConsoleOutputCharacterA(buffer, text, length, ToCoord(start), &written) == 0) return 0;
    return written;
}

std::uint32_t Win32Console::WriteConsoleOutputAttribute(ConsoleHandle buffer, const ColourAttribute* attributes,
                                                        std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::WriteConsoleOutputAttribute(buffer, attributes, length, ToCoord(start), &written) == 0) return 0;
    return written;
}

std::uint32_t Win32Console::FillConsoleOutputCharacterA(ConsoleHandle buffer, char character,
                                                        std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::FillConsoleOutputCharacterA(buffer, character, length, ToCoord(start), &written) == 0) return 0;
    return written;
}

std::uint32_t Win32Console::FillConsoleOutputCharacterW(ConsoleHandle buffer, char16_t character,
                                                        std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::FillConsoleOutputCharacterW(buffer, static_cast<wchar_t>(character), length, ToCoord(start), &written) ==
        0)
        return 0;
    return written;
}

std::uint32_t Win32Console::FillConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute attribute,
                                                       std::uint32_t length, Coord start) {
    DWORD written = 0;
    if (::FillConsoleOutputAttribute(buffer, attribute, length, ToCoord(start), &written) == 0) return 0;
    return written;
}

std::uint32_t Win32Console::ReadConsoleOutputCharacterW(ConsoleHandle buffer, char16_t* text, std::uint32_t length,
                                                        Coord start) {
    DWORD read = 0;
    if (::ReadConsoleOutputCharacterW(buffer, Wide(text), length, ToCoord(start), &read) == 0) return 0;
    return read;
}

std::uint32_t Win32Console::ReadConsoleOutputAttribute(ConsoleHandle buffer, ColourAttribute* attributes,
                                                       std::uint32_t length, Coord start) {
    DWORD read = 0;
    if (::ReadConsoleOutputAttribute(buffer, attributes, length, ToCoord(start), &read) == 0) return 0;
    return read;
}

bool Win32Console::CloseHandle(ConsoleHandle buffer) { return ::CloseHandle(buffer) != 0; }

void HandBackConsoleScreen() {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    ::SetConsoleActiveScreenBuffer(out);
    // Wine's console on a terminal keeps the hidden cursor of the game's
    // buffers after they are gone; a real console shows it already.
    CONSOLE_CURSOR_INFO cursor{};
    if (::GetConsoleCursorInfo(out, &cursor) == 0 || cursor.dwSize == 0) cursor.dwSize = 25;
    cursor.bVisible = TRUE;
    ::SetConsoleCursorInfo(out, &cursor);
    BlankWindowUnderWine(out);
}

void HandBackConsoleScreenOnInterrupt() { ::SetConsoleCtrlHandler(HandBackOnControl, TRUE); }

}  // namespace zumbrik
