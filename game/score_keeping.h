#pragma once
// Reading and adding to the score table through the platform's store. Nothing
// here stops the game: every failure becomes one line in `notes`, which the
// program prints on stderr once the terminal is back.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/score_table.h"
#include "platform/score_store.h"

namespace zumbrik {

// The store a run keeps its scores in, and what it has to say at exit.
struct ScoreBook {
    ScoreStore& store;
    std::vector<std::string> notes;
    // The file is there but not ours to read or replace (a later version's
    // table, something other than a file, a damaged one that could not be
    // moved): the table shown is not the one on disk.
    bool tableLeftAlone = false;
};

// The table as it is now. A damaged or unreadable file is kept aside (a note
// says where) and the table starts empty; a missing file is an empty table.
// Scores left waiting by games that found the table locked are merged in.
ScoreTable LoadScores(ScoreBook& book);

// Adds the entry to what is in the file under the lock, so two games ending
// at once each keep their entry. Gives the place the entry took (0: it did
// not make the table) and the table as written, or nothing when the entry
// did not go into the table: kept waiting in a file of its own when another
// game held the lock too long, else lost (a note says which; the table is as
// it was).
std::optional<std::size_t> RecordScore(ScoreBook& book, ScoreEntry entry, ScoreTable& table);

}  // namespace zumbrik
