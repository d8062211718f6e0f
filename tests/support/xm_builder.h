#pragma once
// Modules for tests and fuzz seeds (and any benchmark that needs one), built as XmModule records and
// written by player/xm_writer. One set, so a case reads the same everywhere.
#include <cstdint>
#include <utility>
#include <vector>

#include "player/formats/xm_writer.h"

namespace zumbrik::test {

XmCell Cell(std::uint8_t note, std::uint8_t instrument = 0, std::uint8_t volume = 0, std::uint8_t effect = 0,
            std::uint8_t param = 0);
XmCell Effect(std::uint8_t effect, std::uint8_t param);

// Rows of `channels` cells; rows not given are empty.
XmPattern PatternOf(std::uint16_t rows, std::uint16_t channels,
                    std::vector<std::pair<int, std::vector<XmCell>>> filled);

// A falling saw: pitch, phase, direction and loop turns all show in the sound.
XmSample Saw(std::uint32_t length = 32, std::uint8_t loopType = 1, bool is16Bit = false);
XmInstrument Instrument(std::vector<XmSample> samples);
XmEnvelope Envelope(std::vector<XmEnvelopePoint> points, std::uint8_t type, std::uint8_t sustain = 0,
                    std::uint8_t loopStart = 0, std::uint8_t loopEnd = 0);

// A module of `channels` channels with one instrument holding one 8-bit
// sample of 1000 frames at a constant level, looped forward; 480 frames a tick.
XmModule ToneModule(std::uint16_t channels = 1, std::uint16_t tempo = 6);

// A song of `rows` rows whose two channels change note on every row, so any
// shift in time or skipped segment shows in the samples.
XmModule StepModule(std::uint16_t rows, std::uint8_t firstNote = 40);
std::vector<std::uint8_t> StepSong(std::uint16_t rows, std::uint8_t firstNote = 40);

// Modules that use much of the format at once (the fuzzer's seeds): two
// enveloped instruments with looped 8- and 16-bit samples, and patterns of
// notes, key-offs, effects and volume-column commands placed by `salt`.
XmSample VariedSample(bool is16Bit, std::uint8_t loopType, int frames);
XmInstrument EnvelopedInstrument(std::vector<XmSample> samples);
XmPattern BusyPattern(std::uint16_t rows, int channels, int salt);
XmModule BusyModule();

}  // namespace zumbrik::test
