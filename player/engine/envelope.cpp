#include "player/engine/envelope.h"

#include <initializer_list>

#include "player/engine/engine_arithmetic.h"

namespace zumbrik {

namespace {

constexpr std::int32_t kEnvelopeTop = 64;
constexpr std::int32_t kTopFixed = kEnvelopeTop << 16;
constexpr std::int32_t kNoIndex = 0x7FFFFFFF;

// An instrument's envelope with the module's values made safe: at most 12
// points, values at most 64, sustain and loop indices beyond the points off.
struct EnvelopeShape {
    const EnvelopePoint* points;
    std::int32_t count;
    std::int32_t sustain;  // kNoIndex when off
    std::int32_t loopStart;
    std::int32_t loopEnd;  // kNoIndex when off
    bool active;

    std::int32_t X(std::int32_t i) const { return points[i].x; }
    std::int32_t Y(std::int32_t i) const { return points[i].y > kEnvelopeTop ? kEnvelopeTop : points[i].y; }
};

EnvelopeShape ShapeOf(const InstrumentRecord& instrument, EnvelopeKind kind) {
    const bool volume = kind == EnvelopeKind::Volume;
    const std::uint8_t type = volume ? instrument.volumeType : instrument.panningType;
    std::int32_t count = volume ? instrument.volumePointCount : instrument.panningPointCount;
    if (count > kEnvelopePoints) {
        count = kEnvelopePoints;
    }
    const std::int32_t sustain = volume ? instrument.volumeSustain : instrument.panningSustain;
    const std::int32_t loopStart = volume ? instrument.volumeLoopStart : instrument.panningLoopStart;
    const std::int32_t loopEnd = volume ? instrument.volumeLoopEnd : instrument.panningLoopEnd;
    EnvelopeShape shape{};
    shape.points = volume ? instrument.volumeEnvelope : instrument.panningEnvelope;
    shape.count = count;
    shape.sustain = ((type & 2) != 0 && sustain < count) ? sustain : kNoIndex;
    const bool loops = (type & 4) != 0 && loopStart < count && loopEnd < count;
    shape.loopStart = loopStart;
    shape.loopEnd = loops ? loopEnd : kNoIndex;
    shape.active = EnvelopeActive(instrument, kind);
    return shape;
}

// Change per tick in 16.16 from point i to point i + 1.
std::int32_t SegmentDelta(const EnvelopeShape& shape, std::int32_t i) {
    const std::int32_t dx = shape.X(i + 1) - shape.X(i);
    if (dx == 0) {
        return 0;
    }
    return (shape.Y(i + 1) - shape.Y(i)) * 65536 / dx;
}

EnvelopeState& StateOf(ChannelState& channel, EnvelopeKind kind) {
    return kind == EnvelopeKind::Volume ? channel.volumeEnvState : channel.panningEnvState;
}

}  // namespace

void AdvanceEnvelope(ChannelState& channel, const InstrumentRecord& instrument, EnvelopeKind kind) {
    EnvelopeState& e = StateOf(channel, kind);
    channel.updateFlags |= kind == EnvelopeKind::Volume ? UpdateVolume : UpdatePanning;
    if (e.finished != 0) {
        return;  // most envelopes, most of the time: the shape is not needed
    }
    const EnvelopeShape shape = ShapeOf(instrument, kind);
    const bool pointAhead = e.nextPoint >= 0 && e.nextPoint < shape.count;
    // A point counts as met once its tick is reached or passed: with tick
    // positions that do not rise (a damaged envelope) the point is still met
    // instead of the value drifting away for ever.
    if (pointAhead && e.tick >= shape.X(e.nextPoint)) {
        if (e.nextPoint == shape.loopEnd) {
            e.nextPoint = shape.loopStart;
            e.tick = shape.X(shape.loopStart);
        }
        const std::int32_t i = e.nextPoint;
        e.value = shape.Y(i);
        if (i == shape.count - 1) {
            e.finished = 1;
            return;
        }
        if (i == shape.sustain && channel.keyReleased == 0) {
            return;  // hold: the same point is met again next tick
        }
        e.nextPoint = i + 1;
        e.accumulator = shape.Y(i) * 65536;
        e.delta = SegmentDelta(shape, i);
    } else if (pointAhead) {
        e.accumulator = ClampTo(static_cast<std::int64_t>(e.accumulator) + e.delta, 0, kTopFixed);
    }
    e.tick = AddSaturated(e.tick, 1, kPeriodLimit);
    e.value = e.accumulator >> 16;
}

void RestartEnvelopes(ChannelState& channel) {
    for (EnvelopeState* envelope : {&channel.volumeEnvState, &channel.panningEnvState}) {
        envelope->tick = 0;
        envelope->nextPoint = 0;
        envelope->delta = 0;
        envelope->finished = 0;
    }
    channel.keyReleased = 0;
}

void SetVolumeEnvelopePosition(ChannelState& channel, const InstrumentRecord& instrument, std::int32_t position) {
    const EnvelopeShape shape = ShapeOf(instrument, EnvelopeKind::Volume);
    if (!shape.active) {
        return;
    }
    std::int32_t i = shape.count - 1;
    for (std::int32_t k = 0; k + 1 < shape.count; ++k) {
        if (position <= shape.X(k + 1)) {
            i = k;
            break;
        }
    }
    EnvelopeState& e = channel.volumeEnvState;
    e.nextPoint = i;
    if (i == shape.count - 1) {
        e.finished = 1;
        e.value = shape.Y(i);
        return;
    }
    e.finished = 0;
    e.tick = position;
    e.delta = SegmentDelta(shape, i);
    // Before the first point the product runs negative; the value cannot
    // leave the envelope's range.
    const std::int64_t accumulator =
        static_cast<std::int64_t>(shape.Y(i)) * 65536 + static_cast<std::int64_t>(position - shape.X(i)) * e.delta;
    e.accumulator = ClampTo(accumulator, 0, kTopFixed);
    e.value = e.accumulator >> 16;
    e.nextPoint = i + 1;
}

}  // namespace zumbrik
