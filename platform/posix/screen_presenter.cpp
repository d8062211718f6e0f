#include "platform/posix/screen_presenter.h"

#include <algorithm>
#include <string_view>

#include "platform/posix/ansi_colour.h"
#include "platform/posix/terminal_text.h"

namespace zumbrik {

namespace {

constexpr std::string_view kBeginUpdate = "\x1b[?2026h";
constexpr std::string_view kEndUpdate = "\x1b[?2026l";

}  // namespace

void ScreenPresenter::SetTerminalSize(int columns, int rows) {
    if (columns == columns_ && rows == rows_) return;
    columns_ = std::max(columns, 1);
    rows_ = std::max(rows, 1);
    valid_ = false;
    noticeShown_ = false;
}

bool ScreenPresenter::TooSmall(const MemoryConsole& console) const {
    const ScreenBuffer& buffer = console.Active();
    return columns_ < buffer.Width() || rows_ < buffer.Height();
}

std::size_t ScreenPresenter::Present(const MemoryConsole& console) {
    if (console.StandardOutputActive()) {
        valid_ = false;
        noticeShown_ = false;
        return 0;
    }
    const ScreenBuffer& buffer = console.Active();
    out_.clear();
    if (!titleSent_ || console.Title() != title_) AppendTitle(console.Title());

    const bool switched = &buffer != buffer_ || console.ActiveSwitches() != switches_;
    const bool resized = buffer.Width() != width_ || buffer.Height() != height_;
    if (TooSmall(console)) {
        if (!noticeShown_) AppendNotice(buffer.Width(), buffer.Height());
        noticeShown_ = true;
        valid_ = false;
    } else if (!valid_ || switched || resized) {
        AppendFullRepaint(buffer);
    } else if (buffer.Revision() != revision_) {
        AppendChanges(buffer);
    }
    buffer_ = &buffer;
    switches_ = console.ActiveSwitches();
    revision_ = buffer.Revision();

    if (out_.empty()) return 0;
    out_.insert(0, kBeginUpdate);
    out_ += kEndUpdate;
    sink_.Write(out_);
    return out_.size();
}

void ScreenPresenter::AppendTitle(const std::u16string& title) {
    out_ += "\x1b]0;";
    AppendUtf8Text(out_, title);
    out_ += '\x07';
    title_ = title;
    titleSent_ = true;
}

void ScreenPresenter::AppendNotice(int width, int height) {
    // Each line is cut to the terminal's width; every character here takes one column.
    std::u16string lines[3] = {u"Окно терминала слишком мало.", u"Увеличьте его до ", u"(сейчас "};
    auto number = [](int n) {
        std::u16string s;
        for (char c : std::to_string(n)) s += static_cast<char16_t>(c);
        return s;
    };
    lines[1] += number(width) + u"×" + number(height) + u".";
    lines[2] += number(columns_) + u"×" + number(rows_) + u").";
    out_ += "\x1b[0m\x1b[2J";
    for (int i = 0; i < 3 && i < rows_; ++i) {
        out_ += "\x1b[";
        AppendDecimal(out_, static_cast<unsigned>(i + 1));
        out_ += ";1H";
        const std::u16string& line = lines[i];
        AppendUtf8Text(out_, std::u16string_view(line).substr(0, static_cast<std::size_t>(columns_)));
    }
    attribute_ = -1;
    cursorColumn_ = cursorRow_ = -1;
}

void ScreenPresenter::AppendFullRepaint(const ScreenBuffer& buffer) {
    width_ = buffer.Width();
    height_ = buffer.Height();
    originColumn_ = (columns_ - width_) / 2;
    originRow_ = (rows_ - height_) / 2;
    shown_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));

    // Clearing in the default colours keeps the margins around a centred
    // buffer in the user's own background.
    out_ += "\x1b[0m\x1b[2J";
    attribute_ = -1;
    cursorColumn_ = cursorRow_ = -1;
    for (int row = 0; row < height_; ++row) {
        MoveTo(0, row);
        for (int column = 0; column < width_; ++column) {
            const Cell& cell = buffer.At(column, row);
            AppendCell(cell, column);
            shown_[static_cast<std::size_t>(row * width_ + column)] = cell;
        }
    }
    valid_ = true;
    noticeShown_ = false;
    ++fullRepaints_;
}

void ScreenPresenter::AppendChanges(const ScreenBuffer& buffer) {
    for (int row = 0; row < height_; ++row) {
        for (int column = 0; column < width_; ++column) {
            const Cell& cell = buffer.At(column, row);
            Cell& shown = shown_[static_cast<std::size_t>(row * width_ + column)];
            if (cell.character == shown.character && cell.attribute == shown.attribute) continue;
            MoveTo(column, row);
            AppendCell(cell, column);
            shown = cell;
        }
    }
}

void ScreenPresenter::AppendCell(const Cell& cell, int column) {
    if (cell.attribute != attribute_) {
        AppendSgr(out_, cell.attribute);
        attribute_ = cell.attribute;
    }
    AppendCellGlyph(out_, cell.character);
    // Autowrap is off, so a write in the terminal's last column leaves the
    // cursor there; do not guess its place after that.
    cursorColumn_ = originColumn_ + column + 1 < columns_ ? column + 1 : -1;
}

void ScreenPresenter::MoveTo(int column, int row) {
    if (row == cursorRow_ && column == cursorColumn_) return;
    if (row == cursorRow_ && cursorColumn_ >= 0 && column > cursorColumn_) {
        // Cursor forward is shorter than an absolute move within the row.
        out_ += "\x1b[";
        if (column - cursorColumn_ > 1) AppendDecimal(out_, static_cast<unsigned>(column - cursorColumn_));
        out_ += 'C';
    } else {
        out_ += "\x1b[";
        AppendDecimal(out_, static_cast<unsigned>(originRow_ + row + 1));
        out_ += ';';
        AppendDecimal(out_, static_cast<unsigned>(originColumn_ + column + 1));
        out_ += 'H';
    }
    cursorColumn_ = column;
    cursorRow_ = row;
}

}  // namespace zumbrik
