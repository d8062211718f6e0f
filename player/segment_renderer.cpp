#include "player/segment_renderer.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

#include "player/mixer.h"
#include "player/row_processing.h"
#include "player/song_position.h"
#include "player/tick_effects.h"

namespace zumbrik {

namespace {

// Takes over the pending position, runs the row, and chooses the next
// position unless the row chose it. False when the song ends in play-once.
bool StartRow(PlayerState& state, bool playOnce, SongClock& clock) {
    if (state.pendingOrder >= 0) {
        state.orderIndex = state.pendingOrder;
    }
    if (state.pendingRow >= 0) {
        state.row = state.pendingRow;
    }
    state.pendingOrder = -1;
    state.pendingRow = -1;
    ProcessRow(state);
    if (state.pendingRow != -1) {
        return true;
    }
    if (state.row + 1 < CurrentPatternRows(state)) {
        state.pendingRow = state.row + 1;
        return true;
    }
    const std::int32_t next = state.orderIndex + 1;
    if (next < state.songLength) {
        state.pendingOrder = next;
        state.pendingRow = 0;
        return true;
    }
    clock.songEnds += 1;
    if (playOnce) {
        return false;
    }
    state.pendingOrder = state.restartPosition < state.songLength ? state.restartPosition : 0;
    state.pendingRow = 0;
    return true;
}

}  // namespace

void LevelLog::Clear() {
    dueIndex = 0;
    elapsedMs = 0;
    for (LevelLogEntry& entry : entries) {
        entry.levels = 0;
        entry.position = 0;
    }
}

std::uint32_t MasterVolumeForLevel(std::uint32_t level) {
    return kMasterVolumeTable[level > 25 ? 25 : level];
}

namespace {

inline void ConvertAtUnity(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int32_t a = accumulators[i];
        const std::uint32_t sign = a < 0 ? 0xFFFFFFFFu : 0u;
        const std::uint32_t units = VoiceUnits((static_cast<std::uint32_t>(a) ^ sign) - sign);
        samples[i] = static_cast<std::int16_t>((units ^ sign) - sign);
    }
}

using ConvertFunction = void (*)(const std::int32_t*, std::int16_t*, std::uint32_t);

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// VoiceUnits on eight accumulators at once, with their signs put back.
__attribute__((target("avx2"))) inline __m256i ConvertEight(__m256i accumulators) {
    const __m256i magnitude = _mm256_abs_epi32(accumulators);  // INT_MIN stays 0x80000000, i.e. 2^31
    __m256i sixtyFourths = _mm256_srli_epi32(_mm256_add_epi32(magnitude, _mm256_set1_epi32(8160)), 6);
    sixtyFourths = _mm256_min_epi32(sixtyFourths, _mm256_set1_epi32(255 * 32767 + 254));
    const __m256i estimate = _mm256_add_epi32(_mm256_add_epi32(sixtyFourths, _mm256_srli_epi32(sixtyFourths, 8)),
                                              _mm256_add_epi32(_mm256_srli_epi32(sixtyFourths, 16), _mm256_set1_epi32(1)));
    __m256i units = _mm256_srli_epi32(estimate, 8);
    const __m256i remainder = _mm256_sub_epi32(sixtyFourths, _mm256_sub_epi32(_mm256_slli_epi32(units, 8), units));
    units = _mm256_sub_epi32(units, _mm256_cmpgt_epi32(remainder, _mm256_set1_epi32(254)));  // + 1 where short
    return _mm256_sign_epi32(units, accumulators);
}

__attribute__((target("avx2"))) void ConvertAtUnityAvx2(const std::int32_t* accumulators, std::int16_t* samples,
                                                       std::uint32_t count) {
    std::uint32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i low = ConvertEight(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(accumulators + i)));
        const __m256i high = ConvertEight(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(accumulators + i + 8)));
        // packs works within 128-bit lanes; the permute puts the halves in order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(low, high), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples + i), packed);
    }
    ConvertAtUnity(accumulators + i, samples + i, count - i);
}

ConvertFunction ChooseConvert() {
    __builtin_cpu_init();  // may run from a static initialiser, before the runtime's own
    return __builtin_cpu_supports("avx2") ? ConvertAtUnityAvx2 : ConvertAtUnity;
}
#else
ConvertFunction ChooseConvert() {
    return ConvertAtUnity;
}
#endif

// Portable until upgraded before main; both give the same bits.
ConvertFunction kConvertAtUnity = ConvertAtUnity;
const bool kConvertChosen = [] {
    kConvertAtUnity = ChooseConvert();
    return true;
}();

}  // namespace

void ConvertAccumulators(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                         std::uint32_t masterVolume) {
    if (masterVolume >= kUnityVolume) {
        kConvertAtUnity(accumulators, samples, count);  // the common case needs no scaling
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        samples[i] = ConvertAccumulator(accumulators[i], masterVolume);
    }
}

bool StartTick(PlayerState& state, bool playOnce, SongClock& clock) {
    if (state.tick == 0) {
        if (!StartRow(state, playOnce, clock)) {
            return false;
        }
    } else {
        ProcessTick(state);
    }
    state.tick += 1;
    if (state.tick >= state.speed + state.patternDelayTicks) {
        state.tick = 0;
        state.patternDelayTicks = 0;
    }
    // Read after the processing so a tempo change applies to this tick;
    // never 0, or rendering would start ticks without end.
    state.tickFramesLeft = std::max(state.samplesPerTick, 1);
    return true;
}

bool RenderFrames(PlayerState& state, std::int32_t* accumulators, std::uint32_t frames, bool playOnce,
                  SongClock& clock) {
    std::uint32_t framesLeft = frames;
    std::int32_t* destination = accumulators;
    while (framesLeft > 0) {
        if (state.tickFramesLeft <= 0 && !StartTick(state, playOnce, clock)) {
            return false;
        }
        const std::uint32_t n = std::min(static_cast<std::uint32_t>(state.tickFramesLeft), framesLeft);
        Mix(state, destination, n);
        clock.elapsedMs += n * 20 / 960;
        state.tickFramesLeft -= static_cast<std::int32_t>(n);
        framesLeft -= n;
        destination += 2 * static_cast<std::size_t>(n);
    }
    return true;
}

SegmentOutcome RenderSegment(PlayerState& state, MixBuffer& mix, RenderControl& control, std::int16_t* ring) {
    std::memset(mix.accumulators, 0, sizeof mix.accumulators);
    const std::uint32_t segment = control.writeSegment % kRingSegments;
    if (control.pauseFlag.load(std::memory_order_relaxed) == 0) {
        SongClock clock;
        clock.elapsedMs = control.levelLog.elapsedMs.load(std::memory_order_relaxed);
        const bool playing = RenderFrames(state, mix.accumulators, kSegmentFrames,
                                          control.playOnce.load(std::memory_order_relaxed) != 0, clock);
        control.levelLog.elapsedMs.store(clock.elapsedMs, std::memory_order_relaxed);
        if (!playing) {
            return SegmentOutcome::SongEnded;
        }
        const std::uint32_t position = (static_cast<std::uint32_t>(state.orderIndex) << 16) |
                                       (static_cast<std::uint32_t>(state.row) & 0xFFFF);
        control.levelLog.entries[segment].position.store(position, std::memory_order_relaxed);
    }

    const std::uint32_t masterVolume = control.masterVolume.load(std::memory_order_relaxed);
    std::int16_t* out = ring + static_cast<std::size_t>(segment) * kSegmentSamples;
    ConvertAccumulators(mix.accumulators, out, kSegmentSamples, masterVolume);
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) {
        sums[i & 1] += static_cast<std::uint32_t>(out[i] < 0 ? -out[i] : out[i]);
    }

    control.writeSegment = (segment + 1) % kRingSegments;
    control.levelLog.entries[control.writeSegment].levels.store(((sums[0] >> 10) << 16) | (sums[1] >> 10),
                                                                std::memory_order_relaxed);
    return SegmentOutcome::Rendered;
}

}  // namespace zumbrik
