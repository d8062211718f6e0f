#pragma once
#include <cstdint>
#include <string>

namespace zumbrik {

// The wave output the player needs, shaped after the system's waveform audio
// calls so that each platform's device is a thin adapter: open the default
// output, hand it one looping buffer, ask how many bytes it has played, and
// take it all down again.

// PCM stereo, 48000 frames per second, 16-bit signed little-endian samples.
struct WaveFormat {
    std::uint16_t formatTag;
    std::uint16_t channels;
    std::uint32_t samplesPerSec;
    std::uint32_t avgBytesPerSec;
    std::uint16_t blockAlign;
    std::uint16_t bitsPerSample;
};
inline constexpr WaveFormat kOutputFormat{1, 2, 48000, 192000, 4, 16};

inline constexpr std::uint32_t WhdrBeginLoop = 0x04;
inline constexpr std::uint32_t WhdrEndLoop = 0x08;

// One buffer given to the device. With both loop flags and loops = 0xFFFFFFFF
// the device replays it until Reset.
struct WaveHeader {
    std::uint8_t* data;
    std::uint32_t bufferLength;
    std::uint32_t flags;
    std::uint32_t loops;
};

// Calls come from one thread at a time: Open, PrepareHeader and Write from the
// thread that starts the music; GetPosition from the output thread; Reset,
// UnprepareHeader and Close from whichever thread tears the player down after
// the output thread has stopped querying (or from the output thread itself).
class WaveDevice {
public:
    virtual ~WaveDevice() = default;

    // False when there is no usable output device.
    virtual bool Open(const WaveFormat& format) = 0;
    // After an Open that failed: the device's name and the system's reason,
    // in one line for a person to read ("" when the device cannot tell).
    virtual std::string OpenProblem() const { return {}; }
    virtual void PrepareHeader(WaveHeader& header) = 0;
    // Starts playing the buffer. False on failure, including a device that did not open.
    virtual bool Write(WaveHeader& header) = 0;
    // Bytes played since Write; wraps at 2^32.
    virtual std::uint32_t GetPosition() = 0;
    // Stops at once and forgets the buffer (the queued audio is not played).
    virtual void Reset() = 0;
    virtual void UnprepareHeader(WaveHeader& header) = 0;
    virtual void Close() = 0;
};

}  // namespace zumbrik
