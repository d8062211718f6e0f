#pragma once
#include "player/formats/xm_writer.h"

namespace zumbrik::theme {

// The whole theme: header, patterns, order list and instruments. Four
// channels (melody, chords, bass, drums), linear frequencies, tempo 5 at 125
// BPM; the patterns hold only notes, instrument numbers and key-offs.
XmModule ThemeModule();

}  // namespace zumbrik::theme
