#include "player/mixer/mixer.h"

#include "player/mixer/cpu_dispatch.h"
#include "player/mixer/mixer_kernel.h"

namespace zumbrik {

namespace {


std::uint64_t PositionOf(const MixVoice& voice) {
    return (static_cast<std::uint64_t>(voice.position) << 32) | voice.positionFraction;
}

void StorePosition(MixVoice& voice, std::uint64_t position) {
    voice.position = static_cast<std::uint32_t>(position >> 32);
    voice.positionFraction = static_cast<std::uint32_t>(position);
}

// Mixes `frames` frames of a voice that meets no boundary on the way.
// Without a kernel the voice moves on unheard, exactly as mixing moves it.
void MixFrames(MixRunFunction mixRun, const MixVoice& voice, const SampleRecord& sample, std::uint64_t step,
               bool ramping, VoiceRun& run, std::uint32_t* out, std::uint32_t frames) {
    run.delta = voice.backwards == 0 ? step : 0 - step;
    if (mixRun == nullptr || (!ramping && run.left == 0 && run.right == 0)) {
        // Nothing to add, only the position and the ramp move: the same
        // wrapping sums as frame-by-frame stepping.
        run.position += run.delta * frames;
        if (ramping) {
            run.left = static_cast<std::int32_t>(static_cast<std::uint32_t>(run.left) +
                                                 static_cast<std::uint32_t>(voice.rampStepLeft) * frames);
            run.right = static_cast<std::int32_t>(static_cast<std::uint32_t>(run.right) +
                                                  static_cast<std::uint32_t>(voice.rampStepRight) * frames);
        }
        return;
    }
    run.stepLeft = ramping ? voice.rampStepLeft : 0;
    run.stepRight = ramping ? voice.rampStepRight : 0;
    // The record holds length + 3 samples: the guard and two more.
    mixRun(sample.data, sample.length + 3, run, out, frames);
}

void StopVoice(MixVoice& voice) {
    voice.sample = nullptr;
    voice.position = 0;
    voice.positionFraction = 0;
}

// A forward loop wraps the integer position into the loop, keeping the fraction.
void WrapForward(MixVoice& voice, std::uint64_t loopStart, std::uint64_t loopEnd) {
    const std::uint64_t loopLength = loopEnd - loopStart;
    if (voice.position >= loopEnd) {
        // Usually the voice went less than a loop past the end: no division.
        std::uint64_t past = voice.position - loopEnd;
        if (past >= loopLength) {
            past %= loopLength;
        }
        voice.position = static_cast<std::uint32_t>(loopStart + past);
    } else {
        // Stopped a hair short of the end (the frame count is computed on
        // positions shifted right by 5): start the loop afresh so the next
        // round has a whole loop to go.
        voice.position = static_cast<std::uint32_t>(loopStart);
        voice.positionFraction = 0;
    }
}

// A ping-pong turn mirrors the position about the boundary it crossed, and
// again about the other end while it lies outside the loop; done modulo twice
// the loop length so a step much longer than the loop cannot spin here.
// `overshoot` is how far (32.32) the voice went past that boundary: going
// backward the caller knows it, since below frame 0 the position has wrapped.
void TurnPingPong(MixVoice& voice, std::uint64_t loopStart, std::uint64_t loopEnd, std::uint64_t overshoot) {
    const std::uint64_t startFixed = loopStart << 32;
    const std::uint64_t endFixed = loopEnd << 32;
    const std::uint64_t lengthFixed = endFixed - startFixed;
    const std::uint64_t period = 2 * lengthFixed;
    const std::uint64_t folded = overshoot < period ? overshoot : overshoot % period;
    const bool beyondOtherEnd = folded > lengthFixed;
    const std::uint64_t inside = beyondOtherEnd ? folded - lengthFixed : folded;
    if (voice.backwards == 0) {
        // Turned at the end; past the other end it is going forward again.
        StorePosition(voice, beyondOtherEnd ? startFixed + inside : endFixed - inside);
        voice.backwards = beyondOtherEnd ? 0 : 1;
    } else {
        StorePosition(voice, beyondOtherEnd ? endFixed - inside : startFixed + inside);
        voice.backwards = beyondOtherEnd ? 1 : 0;
    }
}

// The change per frame that takes `current` (x 128) to `target` over the ramp,
// rounded down (at 48 kHz the shift by 7 every render was made with).
std::int32_t RampStep(std::uint32_t target, std::int32_t current, std::uint32_t rampFrames) {
    const std::int64_t distance = static_cast<std::int64_t>(target) * 128 - current;
    const auto frames = static_cast<std::int64_t>(rampFrames);
    const std::int64_t quotient = distance / frames;
    return static_cast<std::int32_t>(quotient - (distance % frames != 0 && distance < 0 ? 1 : 0));
}

// Whether a side at `current` is within one ramp's rounding of its target
// from below: its ramp step would round down to 0.
bool Settled(std::uint32_t target, std::int32_t current, std::uint32_t rampFrames) {
    const std::int64_t distance = static_cast<std::int64_t>(target) * 128 - current;
    return static_cast<std::uint64_t>(distance) < rampFrames;
}

void StartRampIfNeeded(MixVoice& voice, std::uint32_t rampFrames) {
    const std::uint32_t targets = (voice.targetLeft << 16) | voice.targetRight;
    if (voice.rampFramesLeft != 0) {
        if (targets == voice.rampTargets) {
            return;
        }
    } else if (Settled(voice.targetLeft, voice.currentLeft, rampFrames) &&
               Settled(voice.targetRight, voice.currentRight, rampFrames)) {
        // A steady voice, asked on every run: both steps are 0, found
        // without the two divisions.
        voice.rampTargets = targets;
        voice.rampStepRight = 0;
        voice.rampStepLeft = 0;
        return;
    }
    voice.rampTargets = targets;
    voice.rampStepRight = RampStep(voice.targetRight, voice.currentRight, rampFrames);
    voice.rampStepLeft = RampStep(voice.targetLeft, voice.currentLeft, rampFrames);
    voice.rampFramesLeft =
        (voice.rampStepRight != 0 || voice.rampStepLeft != 0) ? static_cast<std::uint16_t>(rampFrames) : 0;
}

// Moves a steady voice in a forward loop on by `frames` unheard, in one
// step instead of pass by pass, when no pass in them is one where the frame
// count's rounding (done on positions >> 5) stops short of the loop end or
// reaches it late. Every other pass wraps at the frame its exact crossing
// falls on, so the voice is where even motion modulo the loop puts it. A
// pass's distance to the loop end modulo the step (g) says whether it is
// such a pass: it is when g is within 32 of 0 or within 31 per frame of the
// pass below the step. g is the same however runs cut a pass, and from pass
// to pass it grows by the loop length modulo the step, so a few additions
// check every pass. False, with the voice untouched, when it cannot tell.
bool SkipSteadyForwardLoop(MixVoice& voice, std::uint64_t loopStart, std::uint64_t loopEnd, std::uint64_t step,
                           std::uint32_t frames) {
    const std::uint64_t startFixed = loopStart << 32;
    const std::uint64_t loopFixed = (loopEnd - loopStart) << 32;
    const std::uint64_t position = PositionOf(voice);
    if (position < startFixed || step > loopFixed || step >= (std::uint64_t{1} << 47) || frames > 65536) {
        return false;
    }
    const std::uint64_t travel = step * frames;
    if (travel / 2 < loopFixed) {
        return false;  // a pass or two: the pass-by-pass loop is as quick
    }
    // A pass takes at most framesPerPass frames and its rounding can go
    // late by under 31 per frame of it.
    const std::uint64_t framesPerPass = (loopFixed >> 5) / (step >> 5) + 1;
    const std::uint64_t margin = 31 * (framesPerPass + 1) + 32;
    if (step <= 2 * margin) {
        return false;
    }
    const std::uint64_t distance = (loopEnd << 32) - position;
    const std::uint64_t growth = loopFixed % step;
    std::uint64_t g = distance % step;
    // Pass j + 1 starts where even motion crosses the loop end for the
    // (j + 1)th time, at distance + j loop lengths; any pass that starts
    // within the frames is checked, and maybe one more.
    for (std::uint64_t crossing = distance;; crossing += loopFixed) {
        if (g < 32 || g > step - margin) {
            return false;
        }
        if (crossing > travel) {
            break;
        }
        g += growth;
        if (g >= step) {
            g -= step;
        }
    }
    StorePosition(voice, startFixed + (position - startFixed + travel) % loopFixed);
    return true;
}

// A voice at a steady volume going forward through a forward loop, from
// inside the loop: the usual state of a held note. A short loop ends a run
// at every pass, so this is the loop the per-run book-keeping costs most in;
// it does what the general one does, and no more. The voice's ramp must be
// settled (StartRampIfNeeded left no ramp), the step's divisor above 0.
void RunSteadyForwardLoop(MixRunFunction mixRun, MixVoice& voice, const SampleRecord& sample,
                          std::uint64_t loopStart, std::uint64_t loopEnd, std::uint64_t step, std::uint32_t* out,
                          std::uint32_t framesLeft) {
    const std::uint64_t divisor = step >> 5;
    const std::uint64_t endFixed = loopEnd << 32;
    const std::uint64_t loopLength = loopEnd - loopStart;
    // As in MixFrames: a silent voice only moves.
    const bool heard = mixRun != nullptr && (voice.currentLeft != 0 || voice.currentRight != 0);
    const bool multiplies = divisor < (std::uint64_t{1} << 42) && framesLeft <= 65536;
    if (!heard && SkipSteadyForwardLoop(voice, loopStart, loopEnd, step, framesLeft)) {
        return;
    }
    std::uint64_t position = PositionOf(voice);
    std::uint64_t framesToBoundary = 0;
    for (;;) {
        const std::uint64_t reach = (endFixed - position) >> 5;
        if (multiplies && reach > divisor * framesLeft) {
            framesToBoundary = std::uint64_t{framesLeft} + 1;
        } else if (multiplies && framesToBoundary != 0) {
            // Each pass of the loop takes about as many frames as the last:
            // the quotient (rounded up) is usually that count or one off it,
            // which two products tell without dividing.
            std::uint64_t n = framesToBoundary;
            if (n * divisor < reach) {
                ++n;
            } else if ((n - 1) * divisor >= reach) {
                --n;
            }
            const bool exact = n * divisor >= reach && (n == 0 || (n - 1) * divisor < reach);
            framesToBoundary = exact ? n : (reach + divisor - 1) / divisor;
        } else {
            framesToBoundary = (reach + divisor - 1) / divisor;
        }
        const std::uint32_t count =
            framesToBoundary < framesLeft ? static_cast<std::uint32_t>(framesToBoundary) : framesLeft;
        if (count != 0) {
            if (heard) {
                VoiceRun run{position, step, voice.currentLeft, voice.currentRight, 0, 0};
                mixRun(sample.data, sample.length + 3, run, out, count);
                position = run.position;
                out += 2 * static_cast<std::size_t>(count);
            } else {
                position += step * count;
            }
            framesLeft -= count;
        }
        if (count != framesToBoundary) {
            break;  // the frames ran out first
        }
        // The boundary: WrapForward's rule.
        const std::uint64_t reached = position >> 32;
        if (reached >= loopEnd) {
            std::uint64_t past = reached - loopEnd;
            if (past >= loopLength) {
                past %= loopLength;
            }
            position = ((loopStart + past) << 32) | (position & 0xFFFFFFFFu);
        } else {
            position = loopStart << 32;
        }
        if (framesLeft == 0) {
            break;
        }
    }
    StorePosition(voice, position);
}

// MixOneVoice with the mix-run kernel given, read once per Mix; a null
// kernel and destination move the voice without mixing it.
void MixVoiceWith(MixRunFunction mixRun, const MixPace& pace, MixVoice& voice, std::int32_t* destination,
                  std::uint32_t frames) {
    // Unsigned view of the accumulators: their sums wrap by design.
    auto* const out = reinterpret_cast<std::uint32_t*>(destination);
    std::size_t done = 0;
    std::uint32_t framesLeft = frames;
    while (framesLeft > 0 && voice.sample != nullptr) {
        const SampleRecord& sample = *voice.sample;
        const std::uint64_t length = sample.length;
        const std::uint64_t loopStart = sample.loopStart;
        std::uint64_t loopEnd = loopStart + sample.loopLength;
        if (loopEnd > length) {
            loopEnd = length;  // never trust a loop to end inside the data
        }
        const std::uint64_t position = PositionOf(voice);

        // Distance to the boundary; a negative one leaves the voice still.
        std::uint64_t distance;
        if (voice.backwards == 0) {
            const std::uint64_t endFixed = (voice.position < loopEnd ? loopEnd : length) << 32;
            if (position > endFixed) {
                return;
            }
            distance = endFixed - position;
        } else {
            const std::uint64_t startFixed = loopStart << 32;
            if (position < startFixed) {
                return;
            }
            distance = position - startFixed;
        }

        // Frames to the boundary. The divisor is kept at full width: cut
        // to 32 bits, steps of 32 frames and more would wrap it and run the
        // voice far past its data.
        std::uint64_t step = (static_cast<std::uint64_t>(voice.stepInteger) << 32) | voice.stepFraction;
        std::uint64_t divisor = step >> 5;
        if (divisor == 0) {
            // A step that vanishes after the >> 5 of the frame count becomes
            // ~40 Hz, so the voice crawls instead of never reaching its boundary.
            voice.stepFraction = pace.crawlStepFraction;
            step = pace.crawlStepFraction;
            divisor = step >> 5;
        }
        if (voice.backwards == 0 && sample.loopType == ForwardLoop && loopEnd > loopStart && voice.position < loopEnd) {
            // Inside a forward loop and steady: the lean way.
            StartRampIfNeeded(voice, pace.rampFrames);
            if (voice.rampFramesLeft == 0) {
                RunSteadyForwardLoop(mixRun, voice, sample, loopStart, loopEnd, step,
                                     out == nullptr ? nullptr : out + 2 * done, framesLeft);
                return;
            }
        }
        std::uint64_t framesToBoundary;
        // Going backward, the count whose last step crosses the loop start
        // (0 when the count stops short of it, at it or a sliver above).
        std::uint64_t framesCrossingStart = 0;
        // (Both products stay below 2^63 under these bounds.)
        const bool beyondThisCall = divisor < (std::uint64_t{1} << 42) && framesLeft <= 65536 &&
                                    (distance >> 5) > divisor * framesLeft &&
                                    (voice.backwards == 0 || distance >= step * framesLeft);
        if (beyondThisCall) {
            // Usually the boundary lies beyond this call's frames; that much
            // is known without dividing, and any count past them will do.
            framesToBoundary = std::uint64_t{framesLeft} + 1;
        } else {
            framesToBoundary = ((distance >> 5) + divisor - 1) / divisor;
        }

        if (framesToBoundary != 0) {
            // Beyond this call, distance / step >= framesLeft: the clamp below
            // could only cut the count to framesLeft + 1 again, a run that
            // stops short of the boundary either way.
            if (voice.backwards != 0 && !beyondThisCall) {
                // The rounded count may overshoot the loop start by a sliver;
                // below a loop start of 0 that would read before the data.
                const std::uint64_t framesAtOrAboveStart = distance / step + 1;
                if (framesToBoundary >= framesAtOrAboveStart) {
                    framesToBoundary = framesAtOrAboveStart;
                    framesCrossingStart = framesAtOrAboveStart;
                }
            }
            std::uint32_t count = framesToBoundary < framesLeft ? static_cast<std::uint32_t>(framesToBoundary) : framesLeft;

            // Volume ramp: a fresh one whenever the targets move.
            StartRampIfNeeded(voice, pace.rampFrames);
            const bool ramping = voice.rampFramesLeft != 0;
            if (ramping && count > voice.rampFramesLeft) {
                count = voice.rampFramesLeft;
            }
            const bool reachesBoundary = count == framesToBoundary;

            // Mix.
            VoiceRun run{position, 0, voice.currentLeft, voice.currentRight, 0, 0};
            MixFrames(mixRun, voice, sample, step, ramping, run, out == nullptr ? nullptr : out + 2 * done, count);
            StorePosition(voice, run.position);
            voice.currentLeft = run.left;
            voice.currentRight = run.right;

            // Book-keeping.
            framesLeft -= count;
            done += count;
            if (ramping) {
                voice.rampFramesLeft = static_cast<std::uint16_t>(voice.rampFramesLeft - count);
                if (voice.rampFramesLeft == 0) {
                    voice.rampStepLeft = 0;
                    voice.rampStepRight = 0;
                }
            }
            if (!reachesBoundary) {
                // Either the run is over, or a ramp ended first and the rest
                // of the frames go on at the volume it reached.
                continue;
            }
        }

        // Boundary reached: loop, turn or stop.
        const bool hasLoop = loopEnd > loopStart;
        if (sample.loopType == ForwardLoop && hasLoop) {
            WrapForward(voice, loopStart, loopEnd);
        } else if (sample.loopType == PingPongLoop && hasLoop) {
            std::uint64_t overshoot = 0;
            if (voice.backwards == 0) {
                const std::uint64_t endFixed = loopEnd << 32;
                const std::uint64_t reached = PositionOf(voice);
                overshoot = reached > endFixed ? reached - endFixed : 0;
            } else if (framesCrossingStart != 0) {
                // The last frame read lay at the loop start + the remainder
                // of the distance; one more step goes below it by the rest.
                overshoot = step - (distance - (framesCrossingStart - 1) * step);
            }
            TurnPingPong(voice, loopStart, loopEnd, overshoot);
        } else {
            StopVoice(voice);
            return;
        }
    }
}

}  // namespace

void MixOneVoice(MixVoice& voice, std::int32_t* destination, std::uint32_t frames) {
    MixVoiceWith(ActiveKernels().mixRun, MixPaceFor(kReferenceRate), voice, destination, frames);
}

void Mix(MixVoice* voices, std::int32_t count, const MixPace& pace, std::int32_t* destination, std::uint32_t frames,
         std::uint64_t unheardPairs) {
    const MixRunFunction mixRun = ActiveKernels().mixRun;
    for (std::int32_t v = 0; v < count; ++v) {
        if (voices[v].sample == nullptr) {
            continue;  // idle: most voices of a song with many channels, most of the time
        }
        if (((unheardPairs >> (v >> 1)) & 1) != 0) {
            MixVoiceWith(nullptr, pace, voices[v], nullptr, frames);
        } else {
            MixVoiceWith(mixRun, pace, voices[v], destination, frames);
        }
    }
}

void MoveVoices(MixVoice* voices, std::int32_t count, const MixPace& pace, std::uint32_t frames) {
    for (std::int32_t v = 0; v < count; ++v) {
        if (voices[v].sample != nullptr) {
            MixVoiceWith(nullptr, pace, voices[v], nullptr, frames);
        }
    }
}

}  // namespace zumbrik
