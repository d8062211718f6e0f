#pragma once
// The file the score table lives in, and what a game needs around it: the
// lock that serialises two games ending at once, the atomic replacement that
// leaves either the old or the new table whatever happens, and keeping a
// damaged file aside instead of deleting it. Also the player's login name and
// the local date and time that go into an entry.
//
// The folder may be shared with, or prepared by, someone else: nothing is
// ever written through a link someone placed there, only a regular file is
// read as a table, and no call waits without bound.
#include <string>
#include <string_view>
#include <vector>

namespace zumbrik {

// NotAFile: something other than a regular file (a named pipe, a device, a
// folder) has the table's name; it is never opened for reading or moved.
enum class StoreRead { Missing, Read, Unreadable, NotAFile };

// Busy: another game kept the lock for the whole of the wait.
enum class StoreLock { Held, Busy, Failed };

// A score that could not wait for the lock, in a file of its own.
struct WaitingScore {
    std::string name;
    std::string text;
};

class ScoreStore {
public:
    virtual ~ScoreStore() = default;
    // The table's path, for messages.
    virtual std::string Location() = 0;
    // Takes the table's lock, making its folder first when needed, waiting a
    // few seconds at most while another game holds it. The reason, when not held.
    virtual StoreLock Lock(std::string& reason) = 0;
    virtual void Unlock() = 0;
    // The whole file. Missing when there is none yet.
    virtual StoreRead Read(std::string& text) = 0;
    // Writes a new temporary file in the same folder, flushes it to disk and
    // renames it over the table. On failure the old table is untouched.
    virtual bool Replace(std::string_view text, std::string& reason) = 0;
    // Renames the table to a name no other file has (scores.damaged-<date>-<time>
    // and a number if needed). Gives that name, or an empty text with the reason.
    virtual std::string KeepAside(std::string& reason) = 0;
    // Without the lock: writes the text to a new file of its own beside the
    // table (scores.waiting-<date>-<time> and a number if needed), for the
    // next game that holds the lock to merge. Gives its path, or an empty
    // text with the reason.
    virtual std::string AddWaiting(std::string_view text, std::string& reason) = 0;
    // The waiting files, oldest first; and, under the lock, the removal of
    // those merged into the table.
    virtual std::vector<WaitingScore> ReadWaiting() = 0;
    virtual void RemoveWaiting(const std::string& name) = 0;
    virtual std::string LoginName() = 0;
    // "YYYY-MM-DDTHH:MM:SS", local time.
    virtual std::string LocalDateTime() = 0;
};

}  // namespace zumbrik
