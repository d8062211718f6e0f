#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/interrupt_watch.h"
#include "app/xm_tool/module_file.h"
#include "app/xm_tool/subcommand_table.h"
#include "app/xm_tool/system_files.h"
#include "app/xm_tool/wav_format.h"
#include "app/xm_tool/wav_output.h"
#include "player/play/song_pass.h"

namespace zumbrik {

namespace {

// Every render stays within the limit a song without an end gets.
constexpr std::uint64_t kMostFrames = SongPass::kDefaultLimitFrames;
constexpr unsigned kMostLoops = 100;

struct RenderRequest {
    std::string modulePath;
    std::string wavPath;
    std::uint64_t frames = 0;  // 0: whole passes of the song
    unsigned loops = 1;        // passes, when frames is 0
};

// A plain decimal number of seconds ("90", "0.5", "2e1") that comes to at
// least one frame and at most the limit.
std::optional<std::uint64_t> FramesOf(const std::string& text) {
    if (text.empty() || (text[0] != '.' && (text[0] < '0' || text[0] > '9'))) return std::nullopt;
    if (text.find_first_not_of("0123456789.eE+-") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (*end != 0 || !std::isfinite(seconds)) return std::nullopt;
    const double frames = std::round(seconds * kOutputRate);
    if (frames < 1 || frames > static_cast<double>(kMostFrames)) return std::nullopt;
    return static_cast<std::uint64_t>(frames);
}

std::optional<unsigned> LoopsOf(const std::string& text) {
    unsigned loops = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), loops);
    if (error != std::errc() || end != text.data() + text.size() || loops < 1 || loops > kMostLoops) {
        return std::nullopt;
    }
    return loops;
}

// Fills the request, or says what is wrong with the command line.
std::string ParseRequest(const std::vector<std::string>& args, RenderRequest& request) {
    std::vector<std::string> paths;
    bool loopsGiven = false;
    bool optionsOver = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsOver && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsOver = true;
        } else if (arg == "--seconds" || arg == "--loops") {
            if (i + 1 == args.size()) return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--seconds") {
                const auto frames = FramesOf(value);
                if (!frames) return "--seconds wants a number of seconds from 1/48000 to 1800, not '" + value + "'";
                request.frames = *frames;
            } else {
                const auto loops = LoopsOf(value);
                if (!loops) return "--loops wants a whole number from 1 to 100, not '" + value + "'";
                request.loops = *loops;
                loopsGiven = true;
            }
        } else {
            return "render has no option '" + arg + "'";
        }
    }
    if (loopsGiven && request.frames != 0) return "--loops and --seconds do not go together";
    if (paths.size() != 2) return "render wants a module and a WAV file, " + std::to_string(paths.size()) + " given";
    request.modulePath = paths[0];
    request.wavPath = paths[1];
    return "";
}

// Why the output must not be written before anything is loaded, or "".
std::string OutputProblem(const RenderRequest& request, std::ostream& out) {
    if (request.wavPath == "-") {
        if (&out == &std::cout && IsTerminal(stdout)) {
            return "standard output is a terminal; send the WAV to a file or a pipe";
        }
        return "";
    }
    std::error_code error;
    if (request.modulePath != "-" && std::filesystem::equivalent(request.modulePath, request.wavPath, error)) {
        return request.wavPath + ": is the module itself; name another file for the WAV";
    }
    return "";
}

void ShowProgress(std::ostream& err, std::uint64_t frames) {
    char line[64];
    std::snprintf(line, sizeof line, "\rrendering: %.1f s", static_cast<double>(frames) / kOutputRate);
    err << line << std::flush;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RenderRequest request;
    if (const std::string problem = ParseRequest(args, request); !problem.empty()) {
        return UsageError("render", problem, err);
    }
    if (const std::string problem = OutputProblem(request, out); !problem.empty()) {
        err << "zumbrik-xm: " << problem << "\n";
        return 1;
    }
    const auto module = LoadModuleFile(request.modulePath, err);
    if (!module) return 1;

    // Watched from before the output exists, so no signal leaves it behind.
    const InterruptWatch interrupt;
    const bool onePass = request.frames == 0;
    std::optional<std::uint32_t> knownDataBytes;
    if (!onePass) knownDataBytes = static_cast<std::uint32_t>(request.frames * kWavBytesPerFrame);
    const auto wav = WavOutput::Open(request.wavPath, out, knownDataBytes, err);
    if (!wav) return 1;

    auto play = std::make_unique<Play>();
    ResetPlay(*play, module->song);
    auto pass = std::make_unique<SongPass>(*play, onePass, onePass ? kMostFrames : request.frames,
                                           request.loops);
    const bool progress = &err == &std::cerr && IsTerminal(stderr);
    std::int16_t samples[2 * kSegmentFrames];
    std::uint64_t lastShown = 0;
    while (interrupt.Signal() == 0) {
        const std::uint32_t frames = pass->Render(samples, kSegmentFrames);
        if (frames == 0) break;
        if (!wav->WriteSamples(samples, 2 * static_cast<std::size_t>(frames))) break;
        if (progress && pass->FramesRendered() - lastShown >= 10 * kOutputRate) {
            lastShown = pass->FramesRendered();
            ShowProgress(err, lastShown);
        }
    }
    if (progress) {
        ShowProgress(err, pass->FramesRendered());
        err << "\n";
    }
    if (const int signal = interrupt.Signal(); signal != 0) {
        err << "zumbrik-xm: interrupted; "
            << (wav->ReplacesAFile() ? "nothing written to " + wav->Name() : "the WAV on " + wav->Name() + " is cut short")
            << "\n";
        return InterruptedStatus(signal);
    }
    if (!wav->Finish(static_cast<std::uint32_t>(pass->FramesRendered() * kWavBytesPerFrame), err)) return 1;

    const double seconds = static_cast<double>(pass->FramesRendered()) / kOutputRate;
    if (pass->HitLimit()) {
        err << "zumbrik-xm: the song does not reach its end (its jumps keep it going); stopped after "
            << seconds / 60 << " minutes\n";
    }
    char summary[160];
    std::snprintf(summary, sizeof summary, "%s: %.2f s, 48000 Hz 16-bit stereo%s\n", wav->Name().c_str(), seconds,
                  pass->HitLimit() ? " (cut at the limit)" : "");
    err << summary;
    return 0;
}

}  // namespace zumbrik
