#include <array>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include "app/xm_tool/commands.h"
#include "app/xm_tool/module_file.h"
#include "app/xm_tool/subcommand_table.h"
#include "app/xm_tool/wav_format.h"
#include "player/engine/song_scan.h"
#include "player/mixer/kernel_selection.h"
#include "player/song/effect_codes.h"

namespace zumbrik {

namespace {

// Bits of the records that the song records document in words.
constexpr std::uint16_t kLinearFrequencies = 0x01;  // Song::moduleFlags
constexpr std::uint8_t kEnvelopeOn = 0x01;           // InstrumentRecord's envelope types
constexpr std::uint8_t kEnvelopeSustain = 0x02;
constexpr std::uint8_t kEnvelopeLoop = 0x04;
constexpr std::uint8_t kPacked4Bit = 0xAD;  // SampleRecord::packing

// An XM file's format version: the 16-bit little-endian number at byte 58
// of its header (the song records keep no version).
constexpr std::size_t kXmVersionAt = 58;

std::string QuotedName(const char* name) {
    // Appended piece by piece: GCC 12 at -O2 sees an overlap in "\"" + text that is not there.
    std::string quoted = "\"";
    quoted += PrintableName(name);
    return quoted += '"';
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
    if ((type & kEnvelopeOn) == 0) return "off";
    std::ostringstream text;
    text << static_cast<int>(points) << " points";
    if (type & kEnvelopeSustain) text << ", sustain";
    if (type & kEnvelopeLoop) text << ", loop";
    return text.str();
}

void DescribeSong(const ModuleFile& module, std::ostream& out) {
    const Song& song = module.song();
    const std::string format = song.format != nullptr ? song.format : "";
    out << "format:      " << (format.empty() ? "unknown" : format) << "\n";
    if ((song.warnings & kSongSilentInstruments) != 0) {
        out << "note:        some instruments are synthesised (AdLib) or packed, which this player does not sound:"
               " they stay silent\n";
    }
    out << "name:        " << QuotedName(song.title) << "\n";
    out << "tracker:     " << QuotedName(song.tracker);
    if (format == "XM") {
        const unsigned version = module.leadingBytes[kXmVersionAt] | module.leadingBytes[kXmVersionAt + 1] << 8;
        out << ", version " << std::hex << std::setw(4) << std::setfill('0') << version << std::dec
            << std::setfill(' ');
    }
    out << "\n";
    out << "channels:    " << song.channelCount << "\n";
    out << "song length: " << song.songLength << ", restart at " << song.restartPosition << "\n";
    out << "tempo:       " << song.defaultTempo << " ticks per row, " << song.defaultBpm << " BPM ("
        << (song.defaultBpm == 0 ? 120000 : 120000 / song.defaultBpm) << " frames per tick)\n";
    out << "frequencies: " << ((song.moduleFlags & kLinearFrequencies) ? "linear" : "Amiga") << "\n";
    out << "orders:     ";
    for (int i = 0; i < song.songLength; ++i) out << " " << static_cast<int>(song.orderTable[i]);
    out << "\n";
    const SongScan scan = ScanSong(song, 1, kDefaultRate);
    const std::uint64_t ms = (scan.frames * 1000 + kDefaultRate / 2) / kDefaultRate;
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
            // Only an XM file gives a pattern's packed size; the other formats
            // mark a pattern they hold with any non-zero size.
            if (pattern.packedSize == 0) {
                out << "not in the file\n";
            } else if (std::string_view(song.format) == "XM") {
                out << pattern.packedSize << " bytes packed\n";
            } else {
                out << "in the file\n";
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
        out << "  instrument " << std::setw(3) << i + 1 << ": " << QuotedName(instrument.name) << ", " << samples
            << " samples";
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
            out << "    sample " << std::setw(2) << s << ": " << QuotedName(sample.name) << ", " << sample.length
                << " frames, " << (sample.is16Bit ? "16-bit" : "8-bit")
                << (sample.packing == kPacked4Bit ? " 4-bit packed" : "") << ", "
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
    const Song& song = module->song();
    DescribeSong(*module, out);
    if (verbose) out << "kernels:     " << KernelName(KernelSelectionAtStart().running) << "\n";
    DescribePatterns(song, out);
    DescribeInstruments(song, out);
    return 0;
}

}  // namespace zumbrik
