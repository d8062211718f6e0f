#pragma once
#include <cstdio>
#include <string>

#include "game/score_keeping.h"

namespace zumbrik {

// The table as `zumbrik --scores` prints it: a heading and one line per game,
// or one line saying there is none yet.
std::string FormatScoreListing(const ScoreTable& table);

// Prints the listing on out and the book's notes on err; status 0, or 1 with
// a line on err when the listing could not be written or the table could
// not be read.
int PrintScores(ScoreBook& book, std::FILE* out, std::FILE* err);

// The notes a run collected, one line each, for stderr.
void PrintNotes(const ScoreBook& book, std::FILE* err);

}  // namespace zumbrik
