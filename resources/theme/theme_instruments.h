#pragma once
#include <cstdint>
#include <vector>

#include "player/formats/xm_writer.h"

namespace zumbrik::theme {

// Instrument numbers as the patterns use them (1-based, as in the file).
enum Instrument : std::uint8_t {
    kLead = 1,
    kMusette,
    kMinorStab,
    kMajorStab,
    kMinorPad,
    kMajorPad,
    kBass,
    kKick,
    kSnare,
    kClosedHat,
    kOpenHat,
    kInstrumentCount = kOpenHat,
};

// The theme's instruments, every sample synthesised here. Tonal samples are
// tuned so that note C-4 sounds at about 261.3 Hz; drums are meant for C-4.
std::vector<XmInstrument> ThemeInstruments();

}  // namespace zumbrik::theme
