#include "app/xm_tool/play_list.h"

#include <algorithm>

namespace zumbrik {

bool ParsePlayArguments(const std::vector<std::string>& args, PlayOptions& options, std::ostream& err) {
    options = PlayOptions{};
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--loop") {
            options.loop = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            err << "zumbrik-xm: play: unknown option '" << arg << "'\n";
            return false;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.empty()) {
        err << "usage: zumbrik-xm play FILE... [--loop]\n";
        return false;
    }
    return true;
}

bool PlayList::AnyBad() const { return std::find(bad_.begin(), bad_.end(), true) != bad_.end(); }

void PlayList::FindFrom(std::size_t from) {
    current_ = from;
    while (current_ < bad_.size() && bad_[current_]) ++current_;
}

bool PlayList::FindBefore(std::size_t from) {
    for (std::size_t i = from; i-- > 0;) {
        if (!bad_[i]) {
            current_ = i;
            return true;
        }
    }
    return false;
}

void PlayList::Next() {
    goingBack_ = false;
    if (!Finished()) FindFrom(current_ + 1);
}

void PlayList::Previous() {
    goingBack_ = true;
    FindBefore(current_);  // nothing playable before: the current file again
}

void PlayList::SkipBad() {
    if (Finished()) return;
    bad_[current_] = true;
    if (goingBack_ && FindBefore(current_)) return;
    FindFrom(current_ + 1);
}

}  // namespace zumbrik
