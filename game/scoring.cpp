#include "game/scoring.h"

namespace zumbrik {

void FillLevelThresholds(LevelThresholds& thresholds) {
    thresholds = {100,   200,   500,   1000,  1700,  2500,   3500,   5000,   8000,   12000,
                  18000, 25000, 34000, 42000, 55000, 75000, 100000, 150000, 300000, 0};
}

std::uint32_t RowAward(std::uint32_t baseSpeed, std::uint32_t m) { return (8 - baseSpeed / 3) * m * 100; }

}  // namespace zumbrik
