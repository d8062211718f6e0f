#include <array>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/module_file.h"
#include "app/xm_tool/subcommand_table.h"
#include "player/mixer/cpu_dispatch.h"
#include "player/song/effect_codes.h"
#include "player/engine/play_records.h"
#include "player/engine/song_scan.h"
#include "player/formats/xm_layout.h"

namespace zumbrik {

namespace {

// The header texts the loader does not keep.
struct HeaderText {
    std::string moduleName;
    std::string trackerName;
    unsigned version = 0;
};

std::string Trimmed(const char* text, std::size_t width) {
    std::string result;
    for (std::size_t i = 0; i < width && text[i] != 0; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        result += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    while (!result.empty() && result.back() == ' ') result.pop_back();
    return result;
}

HeaderText ReadHeaderText(const LoadedModule& module) {
    const char* header = module.leadingBytes.data();
    HeaderText text;
    text.moduleName = Trimmed(header + xm::kModuleName, xm::kModuleNameBytes);
    text.trackerName = Trimmed(header + xm::kTrackerName, xm::kTrackerNameBytes);
    text.version = static_cast<unsigned char>(header[xm::kVersion]) |
                   static_cast<unsigned char>(header[xm::kVersion + 1]) << 8;
    return text;
}

char EffectName(int effect) {
    return effect < 10 ? static_cast<char>('0' + effect) : static_cast<char>('A' + effect - 10);
}

std::string LoopName(const SampleRecord& sample) {
    switch (sample.loopType) {
        case NoLoop: return "no loop";
        case ForwardLoop: return "forward loop";
        case PingPongLoop: return "ping-pong loop";
        default: return "loop type 3";
    }
}

std::string EnvelopeText(std::uint8_t points, std::uint8_t type) {
    if ((type & xm::kEnvelopeOn) == 0) return "off";
    std::ostringstream text;
    text << static_cast<int>(points) << " points";
    if (type & xm::kEnvelopeSustain) text << ", sustain";
    if (type & xm::kEnvelopeLoop) text << ", loop";
    return text.str();
}

void DescribeSong(const Song& song, const HeaderText& text, std::ostream& out) {
    out << "name:        \"" << text.moduleName << "\"\n";
    out << "tracker:     \"" << text.trackerName << "\", version " << std::hex << std::setw(4) << std::setfill('0')
        << text.version << std::dec << std::setfill(' ') << "\n";
    out << "channels:    " << song.channelCount << "\n";
    out << "song length: " << song.songLength << ", restart at " << song.restartPosition << "\n";
    out << "tempo:       " << song.defaultTempo << " ticks per row, " << song.defaultBpm << " BPM ("
        << (song.defaultBpm == 0 ? 120000 : 120000 / song.defaultBpm) << " frames per tick)\n";
    out << "frequencies: " << ((song.moduleFlags & xm::kLinearFrequencies) ? "linear" : "Amiga") << "\n";
    out << "orders:     ";
    for (int i = 0; i < song.songLength; ++i) out << " " << static_cast<int>(song.orderTable[i]);
    out << "\n";
    const SongScan scan = ScanSong(song);
    const std::uint64_t ms = (scan.frames * 1000 + kOutputRate / 2) / kOutputRate;
    char duration[96];
    std::snprintf(duration, sizeof duration, "duration:    %s%llu:%02llu.%03llu%s\n", scan.capped ? "more than " : "",
                  static_cast<unsigned long long>(ms / 60000), static_cast<unsigned long long>(ms / 1000 % 60),
                  static_cast<unsigned long long>(ms % 1000), scan.capped ? " (the scan stopped before the end)" : "");
    out << duration;
}

void DescribePatterns(const Song& song, std::ostream& out) {
    std::array<std::uint32_t, effect::kNamedEffects> effectCells{};
    std::uint32_t volumeColumnCells = 0;
    out << "patterns:    " << song.patternCount << "\n";
    for (int p = 0; p < song.patternCount; ++p) {
        const PatternRecord& pattern = song.patterns[p];
        std::uint32_t notes = 0, keyOffs = 0;
        if (pattern.cells != nullptr) {
            for (std::size_t i = 0; i < std::size_t{pattern.rows} * static_cast<std::size_t>(song.channelCount);
                 ++i) {
                const PatternCell& cell = pattern.cells[i];
                if (cell.note >= 1 && cell.note <= kHighestNote) ++notes;
                if (cell.note >= kKeyOffNote) ++keyOffs;
                if (cell.volume >= volume_column::kFirstSetVolume) ++volumeColumnCells;
                if ((cell.effect != 0 || cell.param != 0) && cell.effect < effectCells.size()) {
                    ++effectCells[cell.effect];
                }
            }
        }
        out << "  pattern " << std::setw(3) << p << ": " << std::setw(3) << pattern.rows << " rows, ";
        if (pattern.cells == nullptr) {
            out << "no data\n";
        } else {
            out << notes << " notes, " << keyOffs << " key-offs, ";
            if (pattern.packedSize == 0) {
                out << "not in the file\n";
            } else {
                out << pattern.packedSize << " bytes packed\n";
            }
        }
    }
    out << "effects used:";
    bool any = false;
    for (std::size_t e = 0; e < effectCells.size(); ++e) {
        if (effectCells[e] == 0) continue;
        out << " " << EffectName(static_cast<int>(e)) << "x" << effectCells[e];
        any = true;
    }
    if (!any) out << " none";
    out << "; volume column in " << volumeColumnCells << " cells\n";
}

void DescribeInstruments(const Song& song, std::ostream& out) {
    out << "instruments: " << song.instrumentCount << "\n";
    for (int i = 0; i < song.instrumentCount; ++i) {
        const InstrumentRecord& instrument = song.instruments[i];
        int samples = 0;
        while (samples < kInstrumentSamples && instrument.samples[samples] != nullptr) ++samples;
        out << "  instrument " << std::setw(3) << i + 1 << ": " << samples << " samples";
        if (samples == 0) {
            out << "\n";
            continue;
        }
        out << ", volume envelope " << EnvelopeText(instrument.volumePointCount, instrument.volumeType)
            << ", panning envelope " << EnvelopeText(instrument.panningPointCount, instrument.panningType)
            << ", fade-out " << instrument.fadeout;
        if (instrument.vibratoDepth != 0) {
            out << ", vibrato type " << static_cast<int>(instrument.vibratoType) << " depth "
                << static_cast<int>(instrument.vibratoDepth) << " rate " << static_cast<int>(instrument.vibratoRate)
                << " sweep " << static_cast<int>(instrument.vibratoSweep);
        }
        out << "\n";
        for (int s = 0; s < samples; ++s) {
            const SampleRecord& sample = *instrument.samples[s];
            out << "    sample " << std::setw(2) << s << ": " << sample.length << " frames, "
                << (sample.is16Bit ? "16-bit" : "8-bit") << (sample.packing == xm::kPacked4Bit ? " 4-bit packed" : "") << ", "
                << LoopName(sample);
            if (sample.loopType != NoLoop) out << " " << sample.loopStart << "+" << sample.loopLength;
            out << ", volume " << static_cast<int>(sample.volume) << ", finetune "
                << static_cast<int>(sample.finetune) << ", panning " << static_cast<int>(sample.panning)
                << ", relative note " << static_cast<int>(sample.relativeNote) << "\n";
        }
    }
}

}  // namespace

int InfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    bool verbose = false;
    bool optionsOver = false;
    for (const std::string& arg : args) {
        if (optionsOver || arg.size() < 2 || arg[0] != '-') {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsOver = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            return UsageError("info", "info has no option '" + arg + "'", err);
        }
    }
    if (paths.size() != 1) {
        return UsageError("info", "info wants one module, " + std::to_string(paths.size()) + " given", err);
    }
    const auto module = LoadModuleFile(paths[0], err);
    if (!module) return 1;
    const Song& song = module->song;
    DescribeSong(song, ReadHeaderText(*module), out);
    if (verbose) out << "kernels:     " << KernelName(KernelSelectionAtStart().running) << "\n";
    DescribePatterns(song, out);
    DescribeInstruments(song, out);
    return 0;
}

}  // namespace zumbrik
