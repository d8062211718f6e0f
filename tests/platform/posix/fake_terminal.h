#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/byte_sink.h"

namespace zumbrik::testing {

// Just enough of an ANSI terminal to replay what the presenter writes: cursor
// moves (CUP, CUF), SGR colour pairs, clear screen, UTF-8 text without
// autowrap, and the synchronised-update brackets. Anything else fails the
// replay, so an unexpected sequence cannot slip through.
class FakeTerminal final : public ByteSink {
public:
    struct Cell {
        char32_t character = U' ';
        int foreground = 39;
        int background = 49;
    };

    FakeTerminal(int columns, int rows) : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns * rows)) {}

    void Write(std::string_view bytes) override;

    const Cell& At(int column, int row) const { return cells_[static_cast<std::size_t>(row * columns_ + column)]; }
    const std::string& Title() const { return title_; }
    std::size_t Writes() const { return writes_; }
    std::size_t Bytes() const { return bytes_; }
    const std::string& LastWrite() const { return last_; }
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    bool InsideUpdate() const { return inUpdate_; }

private:
    void Csi(std::string_view parameters, char final);
    void Put(char32_t c);

    int columns_;
    int rows_;
    std::vector<Cell> cells_;
    int column_ = 0;
    int row_ = 0;
    int foreground_ = 39;
    int background_ = 49;
    bool inUpdate_ = false;
    std::string title_;
    std::string last_;
    std::string error_;
    std::size_t writes_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace zumbrik::testing
