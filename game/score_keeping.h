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
};

// The table as it is now. A damaged or unreadable file is kept aside (a note
// says where) and the table starts empty; a missing file is an empty table.
ScoreTable LoadScores(ScoreBook& book);

// Adds the entry to what is in the file under the lock, so two games ending
// at once each keep their entry. Gives the place the entry took (0: it did
// not make the table) and the table as written, or nothing when the entry
// could not be kept (a note says why; the file is as it was).
std::optional<std::size_t> RecordScore(ScoreBook& book, ScoreEntry entry, ScoreTable& table);

}  // namespace zumbrik
