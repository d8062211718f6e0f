#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "player/engine/play_records.h"
#include "player/play/play_renderer.h"

namespace zumbrik {

// Play states a play passed through, kept so that a later seek starts from
// the latest one before its frame instead of from the song's start. They are
// kept at frames each about half as far again as the one before, so a seek
// replays at most about a third of the way to its frame, and a pass needs
// only a few dozen. A state depends on the song and the output rate alone:
// muting, gain and separation leave it as it is, and a play moved on unheard
// reaches the same state a mixed one does.
class SeekPoints {
public:
    struct Point {
        std::uint64_t frame;  // frames from the play's start
        PlayRenderer::Progress progress;
        std::int32_t order;  // the row playing at the frame
        std::int32_t row;
    };

    // Makes room for the points on the way to `lastFrame` (and drops any
    // kept): the only allocation, so that keeping them while rendering
    // allocates nothing.
    void Prepare(const Play& play, std::uint64_t lastFrame);
    void Clear() { points_.clear(); }

    // Keeps the play's state, `frame` frames in, when it is due: the first
    // past the spacing from the last kept, while there is room.
    void Offer(const Play& play, const Point& point);

    // The latest point at or before `frame`, or null.
    const Point* LatestAtOrBefore(std::uint64_t frame) const;
    // Puts the play into the state kept with the point.
    void Restore(const Point& point, Play& play) const;

    std::size_t Count() const { return points_.size(); }

private:
    // The play's bytes kept: up to its voices, the song's channels' voices
    // and channel states, and the finetunes. The rest of a play never
    // changes from its reset for the song.
    struct Layout {
        std::size_t voices;
        std::size_t channels;
        std::size_t Bytes() const;
    };
    static Layout LayoutOf(const Play& play);

    Layout layout_{};
    std::vector<Point> points_;
    std::unique_ptr<std::byte[]> states_;  // Bytes() per point, in points_' order
};

}  // namespace zumbrik
