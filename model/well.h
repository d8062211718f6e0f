#pragma once
#include <array>
#include <cstdint>

namespace zumbrik {

// The well occupies console columns 26..49; rows 1..28 are in play, rows 0 and
// 29 stay empty so the landing test and the row shift can look one row beyond.
inline constexpr int kWellLeftColumn = 26;
inline constexpr int kWellRightColumn = 49;
inline constexpr int kWellColumns = 24;
inline constexpr int kWellRows = 30;
inline constexpr int kWellTopRow = 1;
inline constexpr int kWellFloorRow = 28;

// Settled cells, stored column by column: console cell (x, y) is byte (x - 26) * 30 + y.
struct Well {
    std::array<std::uint8_t, kWellColumns * kWellRows> cells{};

    static bool Inside(int x, int y) {
        return x >= kWellLeftColumn && x <= kWellRightColumn && y >= 0 && y < kWellRows;
    }
    // Anything outside the stored grid reads as empty: a turned piece poking
    // past the right wall must not be blocked by cells that do not exist.
    std::uint8_t At(int x, int y) const { return Inside(x, y) ? cells[Index(x, y)] : 0; }
    void Set(int x, int y, std::uint8_t value) {
        if (Inside(x, y)) cells[Index(x, y)] = value;
    }
    void Clear() { cells.fill(0); }

private:
    static std::size_t Index(int x, int y) { return static_cast<std::size_t>((x - kWellLeftColumn) * kWellRows + y); }
};

}  // namespace zumbrik
