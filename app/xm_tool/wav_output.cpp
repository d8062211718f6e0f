#include "app/xm_tool/wav_output.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <system_error>
#include <vector>

#include "app/xm_tool/system_files.h"
#include "app/xm_tool/wav_format.h"

namespace zumbrik {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) {
    return error > 0 ? std::generic_category().message(error) : std::string("input/output error");
}

// The file a path names in the end: a link is followed, so that the WAV
// replaces its target (/dev/stdout redirected to a file included) and not
// the link.
fs::path FinalTarget(const std::string& path) {
    std::error_code error;
    fs::path target = fs::canonical(path, error);
    return error ? fs::path(path) : target;
}

}  // namespace

std::unique_ptr<WavOutput> WavOutput::Open(const std::string& path, const WavFormat& format,
                                           std::ostream& standardOutput, std::optional<std::uint32_t> knownDataBytes,
                                           std::ostream& err) {
    std::unique_ptr<WavOutput> output(new WavOutput);
    output->format_ = format;
    output->name_ = path == "-" ? "standard output" : path;
    std::error_code error;
    const fs::file_status status = path == "-" ? fs::file_status() : fs::status(path, error);
    if (path == "-") {
        output->stream_ = &standardOutput;
        if (&standardOutput == &std::cout) {
            std::cout.flush();
            UseBinaryMode(stdout);
        }
    } else if (status.type() == fs::file_type::directory) {
        err << "zumbrik-xm: " << path << ": is a folder; name the WAV file to write in it\n";
        return nullptr;
    } else if (fs::exists(status) && status.type() != fs::file_type::regular) {
        errno = 0;
        output->file_ = std::fopen(path.c_str(), "wb");
        if (output->file_ == nullptr) {
            err << "zumbrik-xm: " << path << ": cannot write to it: " << Reason(errno) << "\n";
            return nullptr;
        }
    } else {
        output->target_ = FinalTarget(path);
        const fs::path folder = output->target_.parent_path();
        // Hidden and named after the WAV, in the same folder so the rename
        // stays on one file system; the count skips leftovers of a crash.
        for (int attempt = 0; attempt < 100 && output->file_ == nullptr; ++attempt) {
            // Appended piece by piece: GCC 12 for Windows sees an overlap in "." + text that is not there.
            std::string name = ".";
            for (const std::string& piece : {output->target_.filename().string(), std::string("."),
                                             std::to_string(ProcessId()), std::string("-"), std::to_string(attempt)}) {
                name += piece;
            }
            name += ".part";
            output->temporary_ = folder.empty() ? fs::path(name) : folder / name;
            errno = 0;
            output->file_ = CreateNewFile(output->temporary_.string());
            if (output->file_ == nullptr && errno != EEXIST) break;
        }
        if (output->file_ == nullptr) {
            output->temporary_.clear();
            err << "zumbrik-xm: " << path << ": cannot write there: " << Reason(errno) << "\n";
            return nullptr;
        }
    }
    // The blocks go to the file as they are: no second copy through its buffer.
    if (output->file_ != nullptr) std::setvbuf(output->file_, nullptr, _IONBF, 0);
    output->block_.resize(kBlockBytes);
    // A file's header gets its sizes at the end; a stream's goes out now.
    const bool seekable = !output->temporary_.empty();
    const std::vector<char> header = WavHeader(format, seekable ? 0 : knownDataBytes.value_or(kUnknownWavLength));
    output->Write(header.data(), header.size());
    return output;
}

WavOutput::~WavOutput() {
    // Straight through, what was made goes out even when cut short.
    if (temporary_.empty()) Flush();
    Discard();
}

void WavOutput::Fail() {
    if (error_ == 0) error_ = errno != 0 ? errno : -1;
}

bool WavOutput::Write(const char* bytes, std::size_t count) {
    while (count > 0 && error_ == 0) {
        const std::size_t n = std::min(count, kBlockBytes - blockFill_);
        std::memcpy(block_.data() + blockFill_, bytes, n);
        blockFill_ += n;
        bytes += n;
        count -= n;
        if (blockFill_ == kBlockBytes) Flush();
    }
    return error_ == 0;
}

template <typename Sample>
bool WavOutput::WriteLittleEndian(const Sample* samples, std::size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        return Write(reinterpret_cast<const char*>(samples), sizeof(Sample) * count);
    }
    for (std::size_t i = 0; i < count && error_ == 0; ++i) {
        const std::vector<char> bytes = LittleEndianSamples(samples + i, 1);
        Write(bytes.data(), bytes.size());
    }
    return error_ == 0;
}

bool WavOutput::WriteSamples(const std::int16_t* samples, std::size_t count) { return WriteLittleEndian(samples, count); }

bool WavOutput::WriteSamples(const float* samples, std::size_t count) { return WriteLittleEndian(samples, count); }

// Sends what the block holds on.
bool WavOutput::Flush() {
    if (error_ != 0 || blockFill_ == 0) return error_ == 0;
    errno = 0;
    if (stream_ != nullptr) {
        if (!stream_->write(block_.data(), static_cast<std::streamsize>(blockFill_))) Fail();
    } else if (std::fwrite(block_.data(), 1, blockFill_, file_) != blockFill_) {
        Fail();
    }
    blockFill_ = 0;
    return error_ == 0;
}

bool WavOutput::Finish(std::uint32_t dataBytes, std::ostream& err) {
    Flush();
    errno = 0;
    if (stream_ != nullptr) {
        if (!stream_->flush()) Fail();
    } else {
        if (!temporary_.empty()) {
            const std::vector<char> header = WavHeader(format_, dataBytes);
            if (std::fseek(file_, 0, SEEK_SET) != 0) Fail();
            Write(header.data(), header.size());
            Flush();
        }
        if (std::fflush(file_) != 0) Fail();
        if (std::fclose(file_) != 0) Fail();
        file_ = nullptr;
    }
    if (error_ != 0) {
        err << "zumbrik-xm: " << name_ << ": writing failed: " << Reason(error_) << "\n";
        return false;
    }
    if (temporary_.empty()) return true;
    std::error_code error;
    fs::rename(temporary_, target_, error);
    if (error) {
        err << "zumbrik-xm: " << name_ << ": cannot replace the file: " << error.message() << "\n";
        return false;
    }
    temporary_.clear();
    return true;
}

void WavOutput::Discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace zumbrik
