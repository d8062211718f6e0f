#pragma once
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/xm_tool/module_file.h"
#include "app/xm_tool/play_status_line.h"
#include "platform/wave_device.h"

namespace zumbrik {

// What a key asks of `zumbrik-xm play`, whichever system read it.
enum class PlayKey { Pause, Louder, Softer, PreviousOrder, NextOrder, NextFile, PreviousFile, Keys, Quit };

// What the session does after a key.
enum class PlayStep { Stay, ShowKeys, NextFile, PreviousFile, Quit };

// The play key for a typed character or arrow (the left and right arrows
// arrive as U'←' and U'→'); false for keys play has no use for.
bool PlayKeyFor(char32_t key, PlayKey& playKey);

// One song of `zumbrik-xm play` on the background player. The platform files
// only read keys and draw the status line; everything else is here.
class PlayControl {
public:
    enum class Started { Playing, BadFile, NoDevice };

    // Reads and loads the file first, to tell a bad module from a sound
    // device that fails, then hands the bytes it read to the player on the
    // device, to end after one pass of the song unless it loops. Anything but
    // Playing comes after a one-line error on err.
    Started Start(const std::string& path, WaveDevice& device, bool loop, std::ostream& err);
    // → on the last order moves on to the next file.
    PlayStep Act(PlayKey key);
    // Every segment now heard lies past the song's end.
    bool SongOver() const;
    PlayStatus Status() const;
    // The song's title, fit for a terminal.
    const std::string& Title() const { return title_; }
    // Stops the music and leaves the player as a later song expects it.
    void Finish();

private:
    std::string path_;
    // What the player was handed, kept while it plays.
    std::unique_ptr<ModuleFile> module_;
    std::string title_;
    std::vector<std::uint8_t> orders_;
    std::uint32_t mostRows_ = 0;
    std::uint32_t highestPattern_ = 0;
    std::uint64_t durationMs_ = 0;
    bool durationIsMinimum_ = false;
    std::uint32_t volumeLevel_ = 25;
};

}  // namespace zumbrik
