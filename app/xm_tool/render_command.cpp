#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/module_file.h"
#include "player/song_pass.h"

namespace zumbrik {

namespace {

constexpr double kMostSeconds = 3 * 60 * 60;  // keeps the WAV well below 4 GiB
constexpr std::uint32_t kBytesPerFrame = 4;

struct RenderRequest {
    std::string modulePath;
    std::string wavPath;
    double seconds = 0;        // 0: whole passes of the song
    std::uint32_t loops = 1;   // passes, when seconds is 0
    bool loopsGiven = false;
};

constexpr unsigned long kMostLoops = 100;

bool ParseRequest(const std::vector<std::string>& args, RenderRequest& request, std::ostream& err) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds") {
            if (i + 1 >= args.size()) {
                err << "zumbrik-xm: --seconds needs a number\n";
                return false;
            }
            char* end = nullptr;
            request.seconds = std::strtod(args[i + 1].c_str(), &end);
            if (end == args[i + 1].c_str() || *end != 0 || !(request.seconds > 0) || request.seconds > kMostSeconds) {
                err << "zumbrik-xm: --seconds wants a number above 0 and at most " << kMostSeconds << "\n";
                return false;
            }
            ++i;
        } else if (args[i] == "--loops") {
            char* end = nullptr;
            const char* text = i + 1 < args.size() ? args[i + 1].c_str() : "";
            const unsigned long loops = std::strtoul(text, &end, 10);
            if (end == text || *end != 0 || text[0] == '-' || loops < 1 || loops > kMostLoops) {
                err << "zumbrik-xm: --loops wants a whole number from 1 to " << kMostLoops << "\n";
                return false;
            }
            request.loops = static_cast<std::uint32_t>(loops);
            request.loopsGiven = true;
            ++i;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (request.loopsGiven && request.seconds > 0) {
        err << "zumbrik-xm: --loops and --seconds do not go together\n";
        return false;
    }
    if (paths.size() != 2) {
        err << "usage: zumbrik-xm render FILE OUT.wav [--seconds N | --loops N]\n";
        return false;
    }
    request.modulePath = paths[0];
    request.wavPath = paths[1];
    return true;
}

void PutLittleEndian(std::vector<char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The 44-byte header of a 48 kHz 16-bit stereo PCM file with `dataBytes` of samples.
std::vector<char> WavHeader(std::uint32_t dataBytes) {
    std::vector<char> header;
    // Reserved up front: GCC 12 at -O2 otherwise sees an overflow in the insert that is not there.
    header.reserve(44);
    const auto text = [&](const char* four) { header.insert(header.end(), four, four + 4); };
    text("RIFF");
    PutLittleEndian(header, 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(header, 16, 4);
    PutLittleEndian(header, 1, 2);  // PCM
    PutLittleEndian(header, 2, 2);
    PutLittleEndian(header, kOutputRate, 4);
    PutLittleEndian(header, kOutputRate * kBytesPerFrame, 4);
    PutLittleEndian(header, kBytesPerFrame, 2);
    PutLittleEndian(header, 16, 2);
    text("data");
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

std::vector<char> LittleEndianSamples(const std::int16_t* samples, std::uint32_t count) {
    std::vector<char> bytes;
    bytes.reserve(2 * static_cast<std::size_t>(count));
    for (std::uint32_t i = 0; i < count; ++i) PutLittleEndian(bytes, static_cast<std::uint16_t>(samples[i]), 2);
    return bytes;
}

void ShowProgress(std::ostream& err, std::uint64_t frames) {
    char line[64];
    std::snprintf(line, sizeof line, "\rrendering: %.1f s", static_cast<double>(frames) / kOutputRate);
    err << line << std::flush;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RenderRequest request;
    if (!ParseRequest(args, request, err)) {
        return 2;
    }
    const auto module = LoadModuleFile(request.modulePath, err);
    if (!module) return 1;
    PlayerState& state = module->state;

    std::ofstream wav(request.wavPath, std::ios::binary | std::ios::trunc);
    if (!wav) {
        err << "zumbrik-xm: " << request.wavPath << ": cannot write the file\n";
        return 1;
    }
    const std::vector<char> placeholder = WavHeader(0);
    wav.write(placeholder.data(), static_cast<std::streamsize>(placeholder.size()));

    const bool onePass = request.seconds == 0;
    const std::uint64_t limit = onePass ? SongPass::kDefaultLimitFrames
                                        : static_cast<std::uint64_t>(request.seconds * kOutputRate + 0.5);
    auto pass = std::make_unique<SongPass>(state, onePass, limit, request.loops);
    const bool progress = &err == &std::cerr && isatty(STDERR_FILENO) != 0;
    std::int16_t samples[2 * kSegmentFrames];
    std::uint64_t lastShown = 0;
    while (std::uint32_t frames = pass->Render(samples, kSegmentFrames)) {
        const std::vector<char> bytes = LittleEndianSamples(samples, 2 * frames);
        wav.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (progress && pass->FramesRendered() - lastShown >= 10 * kOutputRate) {
            lastShown = pass->FramesRendered();
            ShowProgress(err, lastShown);
        }
    }
    if (progress) {
        ShowProgress(err, pass->FramesRendered());
        err << "\n";
    }

    const auto dataBytes = static_cast<std::uint32_t>(pass->FramesRendered() * kBytesPerFrame);
    const std::vector<char> header = WavHeader(dataBytes);
    wav.seekp(0);
    wav.write(header.data(), static_cast<std::streamsize>(header.size()));
    wav.close();
    if (!wav) {
        err << "zumbrik-xm: " << request.wavPath << ": writing failed\n";
        return 1;
    }
    const double seconds = static_cast<double>(pass->FramesRendered()) / kOutputRate;
    if (pass->HitLimit()) {
        err << "zumbrik-xm: the song does not reach its end (its jumps keep it going); stopped after "
            << seconds / 60 << " minutes\n";
    }
    char summary[160];
    std::snprintf(summary, sizeof summary, "%s: %.2f s, 48000 Hz 16-bit stereo%s\n", request.wavPath.c_str(), seconds,
                  pass->HitLimit() ? " (cut at the limit)" : "");
    out << summary;
    return 0;
}

}  // namespace zumbrik
