#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

// The pattern the current order position plays, or null when the order
// table names no pattern record.
const PatternRecord* CurrentPattern(const Play& play);

// Rows of the current pattern; a missing pattern counts as 64 empty rows.
std::int32_t CurrentPatternRows(const Play& play);

// The channelCount cells of the current row. Null when the pattern has no
// cells (nothing is processed on such a row). A row past the pattern's end
// (a break or loop to a row this pattern lacks) reads as an empty row.
const PatternCell* CurrentRowCells(const Play& play);

// At a row start: the pending order and row, where set, become the position,
// and nothing is pending any more.
void TakePendingPosition(Play& play);

// After a row's effects: unless the row chose the next position itself (a
// jump or a break), the next row, else the next order's first row, else the
// restart position. False when the song ran off its last order here.
bool ChooseNextPosition(Play& play);

// A jump to row 0 of `order` (order 0 when the song has no such order),
// taken at the next row start as a pattern break would be.
void JumpToOrderStart(Play& play, std::int32_t order);

// Channels processed per row: the records and the empty row hold at most 64.
std::int32_t ProcessedChannels(const Play& play);

}  // namespace zumbrik
