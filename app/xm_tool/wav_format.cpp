#include "app/xm_tool/wav_format.h"

#include <bit>
#include <cstring>

#include "player/engine/play_records.h"

namespace zumbrik {

namespace {

void PutLittleEndian(std::vector<char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::vector<char> WavHeader(std::uint32_t dataBytes) {
    std::vector<char> header;
    // Reserved up front: GCC 12 at -O2 otherwise sees an overflow in the insert that is not there.
    header.reserve(kWavHeaderBytes);
    const auto text = [&](const char* four) { header.insert(header.end(), four, four + 4); };
    text("RIFF");
    PutLittleEndian(header, dataBytes == kUnknownWavLength ? kUnknownWavLength : 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(header, 16, 4);
    PutLittleEndian(header, 1, 2);  // PCM
    PutLittleEndian(header, 2, 2);
    PutLittleEndian(header, kOutputRate, 4);
    PutLittleEndian(header, kOutputRate * kWavBytesPerFrame, 4);
    PutLittleEndian(header, kWavBytesPerFrame, 2);
    PutLittleEndian(header, 16, 2);
    text("data");
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

std::vector<char> LittleEndianSamples(const std::int16_t* samples, std::uint32_t count) {
    std::vector<char> bytes(2 * static_cast<std::size_t>(count));
    // Byte by byte, this was a third of a whole render's time; on a
    // little-endian machine the samples already are the file's bytes.
    if constexpr (std::endian::native == std::endian::little) {
        if (count != 0) std::memcpy(bytes.data(), samples, bytes.size());
    } else {
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto sample = static_cast<std::uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<char>(sample & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(sample >> 8);
        }
    }
    return bytes;
}

}  // namespace zumbrik
