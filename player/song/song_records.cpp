#include "player/song/song_records.h"

#include <cstring>

namespace zumbrik {

namespace {
// Enough zeros for the mixer to read a guard sample past an empty sample.
const std::int16_t kNoSampleData[3] = {0, 0, 0};
}  // namespace

const SampleRecord kNoSample = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kMaxSampleRecords, kNoSampleData, {}, 0};

void CopyName(char (&name)[kNameBytes], const void* field, std::size_t bytes) {
    const auto* text = static_cast<const char*>(field);
    std::size_t length = 0;
    while (length < bytes && length + 1 < sizeof name && text[length] != 0) ++length;
    while (length > 0 && text[length - 1] == ' ') --length;
    std::memcpy(name, text, length);
    name[length] = 0;
}

}  // namespace zumbrik
