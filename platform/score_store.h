#pragma once
// The file the score table lives in, and what a game needs around it: the
// lock that serialises two games ending at once, the atomic replacement that
// leaves either the old or the new table whatever happens, and keeping a
// damaged file aside instead of deleting it. Also the player's login name and
// the local date and time that go into an entry.
#include <string>
#include <string_view>

namespace zumbrik {

enum class StoreRead { Missing, Read, Unreadable };

class ScoreStore {
public:
    virtual ~ScoreStore() = default;
    // The table's path, for messages.
    virtual std::string Location() = 0;
    // Takes the table's lock, making its folder first when needed, and waits
    // while another game holds it. False, with the reason, when it cannot.
    virtual bool Lock(std::string& reason) = 0;
    virtual void Unlock() = 0;
    // The whole file. Missing when there is none yet.
    virtual StoreRead Read(std::string& text) = 0;
    // Writes a temporary file in the same folder, flushes it to disk and
    // renames it over the table. On failure the old table is untouched.
    virtual bool Replace(std::string_view text, std::string& reason) = 0;
    // Renames the table to a name no other file has (scores.damaged-<date>-<time>
    // and a number if needed). Gives that name, or an empty text with the reason.
    virtual std::string KeepAside(std::string& reason) = 0;
    virtual std::string LoginName() = 0;
    // "YYYY-MM-DDTHH:MM:SS", local time.
    virtual std::string LocalDateTime() = 0;
};

}  // namespace zumbrik
