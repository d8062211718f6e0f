#pragma once
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace zumbrik {

struct PlayOptions {
    std::vector<std::string> files;
    bool loop = false;  // each song loops instead of ending
};

// play's arguments: FILE... and --loop in any order; after "--" every
// argument is a file. False after a one-line usage error on err.
bool ParsePlayArguments(const std::vector<std::string>& args, PlayOptions& options, std::ostream& err);

// Which file plays, as songs end and n and p are pressed. A file that could
// not be played is skipped from then on.
class PlayList {
public:
    explicit PlayList(std::size_t count) : bad_(count, false) {}

    bool Finished() const { return current_ >= bad_.size(); }
    std::size_t Current() const { return current_; }
    bool AnyBad() const;

    // On to the next playable file; past the last one the list is finished.
    void Next();
    // Back to the previous playable file; on the first, it plays again.
    void Previous();
    // The current file did not play: on in the direction of the last step,
    // or forward when nothing playable lies behind.
    void SkipBad();

private:
    bool FindBefore(std::size_t from);
    void FindFrom(std::size_t from);

    std::vector<bool> bad_;
    std::size_t current_ = 0;
    bool goingBack_ = false;
};

}  // namespace zumbrik
