#include "player/song/song_records.h"

namespace zumbrik {

namespace {
// Enough zeros for the mixer to read a guard sample past an empty sample.
const std::int16_t kNoSampleData[3] = {0, 0, 0};
}  // namespace

const SampleRecord kNoSample = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kMaxSampleRecords, kNoSampleData};

}  // namespace zumbrik
