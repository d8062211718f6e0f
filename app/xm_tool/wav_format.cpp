#include "app/xm_tool/wav_format.h"

#include <bit>
#include <cstring>

namespace zumbrik {

namespace {

constexpr std::uint16_t kPcmFormat = 1;
constexpr std::uint16_t kIeeeFloatFormat = 3;

void PutLittleEndian(std::vector<char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Samples as the little-endian bytes a WAV holds.
template <typename Sample>
std::vector<char> LittleEndian(const Sample* samples, std::uint32_t count) {
    std::vector<char> bytes(sizeof(Sample) * static_cast<std::size_t>(count));
    // Byte by byte, this was a third of a whole render's time; on a
    // little-endian machine the samples already are the file's bytes.
    if constexpr (std::endian::native == std::endian::little) {
        if (count != 0) std::memcpy(bytes.data(), samples, bytes.size());
    } else {
        for (std::uint32_t i = 0; i < count; ++i) {
            char raw[sizeof(Sample)];
            std::memcpy(raw, &samples[i], sizeof raw);
            for (std::size_t k = 0; k < sizeof raw; ++k) bytes[sizeof raw * i + k] = raw[sizeof raw - 1 - k];
        }
    }
    return bytes;
}

}  // namespace

std::vector<char> WavHeader(const WavFormat& format, std::uint32_t dataBytes) {
    const bool unknown = dataBytes == kUnknownWavLength;
    const auto headerBytes = static_cast<std::uint32_t>(format.HeaderBytes());
    std::vector<char> header;
    // Reserved up front: GCC 12 at -O2 otherwise sees an overflow in the insert that is not there.
    header.reserve(headerBytes);
    const auto text = [&](const char* four) { header.insert(header.end(), four, four + 4); };
    text("RIFF");
    PutLittleEndian(header, unknown ? kUnknownWavLength : headerBytes - 8 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(header, format.isFloat ? 18 : 16, 4);
    PutLittleEndian(header, format.isFloat ? kIeeeFloatFormat : kPcmFormat, 2);
    PutLittleEndian(header, 2, 2);
    PutLittleEndian(header, format.rate, 4);
    PutLittleEndian(header, format.rate * format.BytesPerFrame(), 4);
    PutLittleEndian(header, format.BytesPerFrame(), 2);
    PutLittleEndian(header, format.isFloat ? 32 : 16, 2);
    if (format.isFloat) {
        // Formats other than plain PCM say the size of their (empty) extension,
        // and the frames they hold in a fact chunk.
        PutLittleEndian(header, 0, 2);
        text("fact");
        PutLittleEndian(header, 4, 4);
        PutLittleEndian(header, unknown ? kUnknownWavLength : dataBytes / format.BytesPerFrame(), 4);
    }
    text("data");
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

std::vector<char> LittleEndianSamples(const std::int16_t* samples, std::uint32_t count) {
    return LittleEndian(samples, count);
}

std::vector<char> LittleEndianSamples(const float* samples, std::uint32_t count) {
    return LittleEndian(samples, count);
}

}  // namespace zumbrik
