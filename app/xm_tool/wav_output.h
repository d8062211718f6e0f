#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/xm_tool/wav_format.h"

namespace zumbrik {

// Where a render's WAV goes. A file path gets a new file in the same folder
// that replaces the named one only once it is complete, so a failed or
// interrupted render leaves what was there and nothing half written. "-"
// (the given standard output), a pipe or a device is written straight
// through: its header, written first, says the length when known in advance
// and "unknown" otherwise.
class WavOutput {
public:
    // Opens the destination; null, with one line on err, when that fails.
    static std::unique_ptr<WavOutput> Open(const std::string& path, const WavFormat& format,
                                           std::ostream& standardOutput, std::optional<std::uint32_t> knownDataBytes,
                                           std::ostream& err);
    ~WavOutput();  // drops an unfinished file; sends a stream what it holds
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    // Appends bytes; false once anything failed (Finish tells why).
    bool Write(const char* bytes, std::size_t count);
    // Appends samples as the file stores them (little-endian).
    bool WriteSamples(const std::int16_t* samples, std::size_t count);
    bool WriteSamples(const float* samples, std::size_t count);

    // Completes the WAV holding dataBytes of samples: its header, then the
    // file in place. False with one line on err.
    bool Finish(std::uint32_t dataBytes, std::ostream& err);

    // Whether the WAV goes to a new file that replaces the named one (not
    // straight through to a stream).
    bool ReplacesAFile() const { return !target_.empty(); }

    // How messages name the destination.
    const std::string& Name() const { return name_; }

private:
    // Bytes are gathered here and go out in blocks of this size: a render
    // makes a segment of 4 KB at a time, and a system call for each cost
    // about as much as the mixing of it.
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

    WavOutput() = default;
    template <typename Sample>
    bool WriteLittleEndian(const Sample* samples, std::size_t count);
    bool Flush();
    void Fail();
    void Discard();

    std::string name_;
    WavFormat format_;
    std::ostream* stream_ = nullptr;      // standard output
    std::FILE* file_ = nullptr;           // the new file, or the pipe or device
    std::filesystem::path temporary_;     // the new file, while unfinished
    std::filesystem::path target_;        // the file it replaces
    int error_ = 0;                       // the first failure's errno (-1: unknown)
    std::vector<char> block_;             // kBlockBytes, taken once and reused
    std::size_t blockFill_ = 0;
};

}  // namespace zumbrik
