#include "player/player_records.h"

namespace zumbrik {

namespace {
// Enough zeros for the mixer to read a guard sample past an empty sample.
std::int16_t noSampleData[3] = {0, 0, 0};
}  // namespace

SampleRecord NoSample = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, noSampleData};

}  // namespace zumbrik
