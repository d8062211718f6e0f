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
#include "player/play/offline_play.h"

namespace zumbrik {

namespace {

// Every render stays within the limit a song without an end gets.
constexpr double kMostSeconds = OfflinePlay::kLongestPassSeconds;
constexpr unsigned kMostLoops = 100;
constexpr double kMostDecibels = 96;
constexpr std::size_t kChunkFrames = 4096;

struct RenderRequest {
    std::string modulePath;
    std::string wavPath;
    WavFormat format;
    std::uint64_t frames = 0;  // 0: whole passes of the song
    unsigned loops = 1;        // passes, when frames is 0
    double decibels = 0;
    std::optional<int> startOrder;
    std::optional<double> fromSeconds;
};

// A plain decimal number ("90", "0.5", "2e1", with a sign only where
// allowed) from least to most.
std::optional<double> DecimalOf(const std::string& text, bool signAllowed, double least, double most) {
    const std::size_t digits = signAllowed && !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() == digits || (text[digits] != '.' && (text[digits] < '0' || text[digits] > '9'))) {
        return std::nullopt;
    }
    if (text.find_first_not_of("0123456789.eE+-", digits) != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != 0 || !std::isfinite(value) || value < least || value > most) return std::nullopt;
    return value;
}

std::optional<unsigned> WholeOf(const std::string& text, unsigned least, unsigned most) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

// Sets one option that takes a value; says what is wrong with it, or "".
std::string TakeValue(const std::string& option, const std::string& value, RenderRequest& request,
                      std::optional<double>& seconds) {
    const auto quoted = [&value] { return ", not '" + value + "'"; };
    if (option == "--seconds") {
        seconds = DecimalOf(value, false, 0, kMostSeconds);
        if (!seconds || *seconds == 0) return "--seconds wants a number of seconds above 0, at most 1800" + quoted();
    } else if (option == "--loops") {
        const auto loops = WholeOf(value, 1, kMostLoops);
        if (!loops) return "--loops wants a whole number from 1 to 100" + quoted();
        request.loops = *loops;
    } else if (option == "--rate") {
        const auto rate = WholeOf(value, kLowestRate, kHighestRate);
        if (!rate) return "--rate wants frames per second from 8000 to 192000" + quoted();
        request.format.rate = *rate;
    } else if (option == "--gain") {
        const auto decibels = DecimalOf(value, true, -kMostDecibels, kMostDecibels);
        if (!decibels) return "--gain wants decibels from -96 to 96" + quoted();
        request.decibels = *decibels;
    } else if (option == "--start") {
        const auto order = WholeOf(value, 0, 255);
        if (!order) return "--start wants an order from 0 to 255" + quoted();
        request.startOrder = static_cast<int>(*order);
    } else {
        request.fromSeconds = DecimalOf(value, false, 0, kMostSeconds);
        if (!request.fromSeconds) return "--from wants a number of seconds from 0 to 1800" + quoted();
    }
    return "";
}

// Fills the request, or says what is wrong with the command line.
std::string ParseRequest(const std::vector<std::string>& args, RenderRequest& request) {
    std::vector<std::string> paths;
    std::optional<double> seconds;
    bool loopsGiven = false;
    bool optionsOver = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsOver && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsOver = true;
        } else if (arg == "--float") {
            request.format.isFloat = true;
        } else if (arg == "--seconds" || arg == "--loops" || arg == "--rate" || arg == "--gain" || arg == "--start" ||
                   arg == "--from") {
            if (i + 1 == args.size()) return arg + " needs a value";
            if (const std::string problem = TakeValue(arg, args[++i], request, seconds); !problem.empty()) {
                return problem;
            }
            loopsGiven = loopsGiven || arg == "--loops";
        } else {
            return "render has no option '" + arg + "'";
        }
    }
    if (loopsGiven && seconds) return "--loops and --seconds do not go together";
    if (request.startOrder && request.fromSeconds) return "--start and --from do not go together";
    if (seconds) {
        const double frames = std::round(*seconds * request.format.rate);
        if (frames < 1) return "--seconds asks for less than one frame at " + std::to_string(request.format.rate) + " Hz";
        request.frames = static_cast<std::uint64_t>(frames);
    }
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

// Sets the play up as asked and moves it to where the render starts. False,
// with one line on err, when the song never gets there.
bool PreparePlay(const RenderRequest& request, OfflinePlay& play, std::ostream& err) {
    play.SetRate(request.format.rate);
    play.SetRepeat(request.frames != 0 ? -1 : static_cast<std::int32_t>(request.loops) - 1);
    play.SetGain(request.decibels);
    const std::string name = "zumbrik-xm: " + InputName(request.modulePath) + ": ";
    if (request.startOrder && !play.SeekOrder(*request.startOrder, 0)) {
        err << name << "the song never reaches order " << *request.startOrder << " (it has "
            << play.song().songLength << (play.song().songLength == 1 ? " order" : " orders") << ")\n";
        return false;
    }
    if (request.fromSeconds) {
        const auto target = static_cast<std::uint64_t>(std::round(*request.fromSeconds * request.format.rate));
        play.Seek(target);
        if (play.PositionFrames() < target) {
            char line[160];
            std::snprintf(line, sizeof line, "the song ends after %.2f s, before --from %g\n",
                          static_cast<double>(play.PositionFrames()) / request.format.rate, *request.fromSeconds);
            err << name << line;
            return false;
        }
    }
    return true;
}

void ShowProgress(std::ostream& err, std::uint64_t frames, std::uint32_t rate) {
    char line[64];
    std::snprintf(line, sizeof line, "\rrendering: %.1f s", static_cast<double>(frames) / rate);
    err << line << std::flush;
}

// Renders the next chunk into the WAV; the frames written, 0 once the play
// is over or the output failed.
std::size_t RenderChunk(OfflinePlay& play, bool isFloat, std::size_t frames, WavOutput& wav) {
    if (isFloat) {
        float samples[2 * kChunkFrames];
        const std::size_t got = play.RenderFloat(samples, frames);
        return got != 0 && wav.WriteSamples(samples, 2 * got) ? got : 0;
    }
    std::int16_t samples[2 * kChunkFrames];
    const std::size_t got = play.Render(samples, frames);
    return got != 0 && wav.WriteSamples(samples, 2 * got) ? got : 0;
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
    OfflinePlay play(module->loaded);
    if (!PreparePlay(request, play, err)) return 1;

    // Watched from before the output exists, so no signal leaves it behind.
    const InterruptWatch interrupt;
    const WavFormat& format = request.format;
    const bool onePass = request.frames == 0;
    // Whole passes stop at the song's end, or at the limit.
    const std::uint64_t wanted = onePass ? static_cast<std::uint64_t>(kMostSeconds) * format.rate : request.frames;
    std::optional<std::uint32_t> knownDataBytes;
    if (!onePass) knownDataBytes = static_cast<std::uint32_t>(request.frames * format.BytesPerFrame());
    const auto wav = WavOutput::Open(request.wavPath, format, out, knownDataBytes, err);
    if (!wav) return 1;

    const bool progress = &err == &std::cerr && IsTerminal(stderr);
    std::uint64_t rendered = 0;
    std::uint64_t lastShown = 0;
    while (interrupt.Signal() == 0 && rendered < wanted) {
        const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, wanted - rendered));
        const std::size_t got = RenderChunk(play, format.isFloat, frames, *wav);
        if (got == 0) break;
        rendered += got;
        if (progress && rendered - lastShown >= 10 * std::uint64_t{format.rate}) {
            lastShown = rendered;
            ShowProgress(err, rendered, format.rate);
        }
    }
    if (progress) {
        ShowProgress(err, rendered, format.rate);
        err << "\n";
    }
    if (const int signal = interrupt.Signal(); signal != 0) {
        err << "zumbrik-xm: interrupted; "
            << (wav->ReplacesAFile() ? "nothing written to " + wav->Name() : "the WAV on " + wav->Name() + " is cut short")
            << "\n";
        return InterruptedStatus(signal);
    }
    if (!wav->Finish(static_cast<std::uint32_t>(rendered * format.BytesPerFrame()), err)) return 1;

    // A pass the song's end did not close: the limit, or a song the scan found no end of.
    std::int16_t probe[2];
    const bool hitLimit = onePass && (play.DurationIsBound() || (rendered == wanted && play.Render(probe, 1) == 1));
    const double seconds = static_cast<double>(rendered) / format.rate;
    if (hitLimit) {
        err << "zumbrik-xm: the song does not reach its end (its jumps keep it going); stopped after "
            << seconds / 60 << " minutes\n";
    }
    char summary[200];
    std::snprintf(summary, sizeof summary, "%s: %.2f s, %u Hz %s stereo%s\n", wav->Name().c_str(), seconds,
                  static_cast<unsigned>(format.rate), format.isFloat ? "32-bit float" : "16-bit",
                  hitLimit ? " (cut at the limit)" : "");
    err << summary;
    return 0;
}

}  // namespace zumbrik
