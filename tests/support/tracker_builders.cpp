#include "tests/support/tracker_builders.h"

#include <algorithm>
#include <cstring>

#include "player/formats/mod_layout.h"
#include "player/formats/s3m_layout.h"

namespace zumbrik::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBe16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

void PutLe16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(Bytes& out, std::size_t at, std::uint32_t value) {
    PutLe16(out, at, value & 0xFFFF);
    PutLe16(out, at + 2, value >> 16);
}

void PutText(Bytes& out, std::size_t at, const std::string& text, std::size_t bytes) {
    std::memcpy(out.data() + at, text.data(), std::min(text.size(), bytes));
}

void PadTo16(Bytes& out) {
    while (out.size() % 16 != 0) out.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> WriteMod(const ModModule& module) {
    const int samples = module.tag.empty() ? mod::kOldSamples : mod::kSamples;
    Bytes out(mod::PatternsOffset(samples), 0);
    PutText(out, mod::kTitle, module.title, mod::kTitleBytes);
    for (int s = 0; s < samples && s < static_cast<int>(module.samples.size()); ++s) {
        const ModSample& sample = module.samples[static_cast<std::size_t>(s)];
        const std::size_t at = mod::kSampleHeaders + static_cast<std::size_t>(s) * mod::kSampleHeaderBytes;
        PutText(out, at + mod::kSampleName, sample.name, mod::kSampleNameBytes);
        PutBe16(out, at + mod::kSampleLength, static_cast<std::uint32_t>((sample.data.size() + 1) / 2));
        out[at + mod::kSampleFinetune] = sample.finetune;
        out[at + mod::kSampleVolume] = sample.volume;
        PutBe16(out, at + mod::kSampleLoopStart, sample.loopStart / 2);
        PutBe16(out, at + mod::kSampleLoopLength, sample.loopLength > 2 ? sample.loopLength / 2 : 1);
    }
    out[mod::SongLengthOffset(samples)] =
        module.songLengthField.value_or(static_cast<std::uint8_t>(module.orders.size()));
    out[mod::SongLengthOffset(samples) + 1] = module.restart;
    std::copy_n(module.orders.begin(), std::min<std::size_t>(module.orders.size(), mod::kOrderCount),
                out.begin() + static_cast<std::ptrdiff_t>(mod::OrdersOffset(samples)));
    if (!module.tag.empty()) PutText(out, mod::kTag, module.tag, mod::kTagBytes);
    for (const std::vector<ModCell>& pattern : module.patterns) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(mod::kRows * module.channels); ++i) {
            const ModCell cell = i < pattern.size() ? pattern[i] : ModCell{};
            out.push_back(static_cast<std::uint8_t>((cell.sample & 0xF0) | (cell.period >> 8 & 0x0F)));
            out.push_back(static_cast<std::uint8_t>(cell.period));
            out.push_back(static_cast<std::uint8_t>((cell.sample & 0x0F) << 4 | (cell.effect & 0x0F)));
            out.push_back(cell.param);
        }
    }
    for (int s = 0; s < samples && s < static_cast<int>(module.samples.size()); ++s) {
        const std::vector<std::int8_t>& data = module.samples[static_cast<std::size_t>(s)].data;
        for (const std::int8_t value : data) out.push_back(static_cast<std::uint8_t>(value));
        if (data.size() % 2 != 0) out.push_back(0);
    }
    if (module.cutAt != 0 && module.cutAt < out.size()) out.resize(module.cutAt);
    return out;
}

std::vector<ModCell> ModPatternOf(int channels, std::vector<std::pair<int, std::vector<ModCell>>> filled) {
    std::vector<ModCell> cells(static_cast<std::size_t>(mod::kRows * channels));
    for (auto& [row, rowCells] : filled) {
        for (std::size_t c = 0; c < rowCells.size(); ++c) cells[static_cast<std::size_t>(row * channels) + c] = rowCells[c];
    }
    return cells;
}

ModSample ModSquare(std::uint32_t length, bool looped) {
    ModSample sample;
    for (std::uint32_t i = 0; i < length; ++i) sample.data.push_back(static_cast<std::int8_t>(i % 16 < 8 ? 100 : -100));
    if (looped) sample.loopLength = length;
    return sample;
}

ModModule ModSongOf(std::vector<std::pair<int, std::vector<ModCell>>> rows, int channels) {
    ModModule module;
    module.channels = channels;
    if (channels != 4) module.tag = (channels < 10 ? std::to_string(channels) + "CHN" : std::to_string(channels) + "CH");
    module.samples = {ModSquare()};
    module.patterns = {ModPatternOf(channels, std::move(rows))};
    return module;
}

std::vector<std::uint8_t> WriteS3m(const S3mModule& module) {
    Bytes out(s3m::kHeaderBytes, 0);
    PutText(out, s3m::kTitle, module.title, s3m::kTitleBytes);
    out[s3m::kEndOfText] = 0x1A;
    out[s3m::kFileType] = s3m::kModuleType;
    PutLe16(out, s3m::kOrderCount, static_cast<std::uint32_t>(module.orders.size()));
    PutLe16(out, s3m::kInstrumentCount,
            module.instrumentCountField.value_or(static_cast<std::uint16_t>(module.samples.size())));
    PutLe16(out, s3m::kPatternCount, static_cast<std::uint32_t>(module.patterns.size()));
    PutLe16(out, s3m::kFlags, module.flags);
    PutLe16(out, s3m::kTrackerVersion, module.version);
    PutLe16(out, s3m::kSampleFormat, module.sampleFormat);
    PutText(out, s3m::kTag, "SCRM", 4);
    out[s3m::kGlobalVolume] = module.globalVolume;
    out[s3m::kSpeed] = module.speed;
    out[s3m::kTempo] = module.tempo;
    out[s3m::kMasterVolume] = module.masterVolume;
    out[s3m::kDefaultPanning] = module.panning.empty() ? 0 : s3m::kPanningPresent;
    for (int c = 0; c < s3m::kChannels; ++c) {
        out[s3m::kChannelSettings + static_cast<std::size_t>(c)] =
            c < static_cast<int>(module.channelSettings.size()) ? module.channelSettings[static_cast<std::size_t>(c)] : 0xFF;
    }
    out.insert(out.end(), module.orders.begin(), module.orders.end());
    const std::size_t instrumentPointers = out.size();
    out.resize(out.size() + 2 * (module.samples.size() + module.patterns.size()), 0);
    const std::size_t patternPointers = instrumentPointers + 2 * module.samples.size();
    if (!module.panning.empty()) {
        for (int c = 0; c < s3m::kChannels; ++c) {
            out.push_back(c < static_cast<int>(module.panning.size()) ? module.panning[static_cast<std::size_t>(c)] : 0);
        }
    }
    std::vector<std::size_t> headers;
    for (std::size_t i = 0; i < module.samples.size(); ++i) {
        PadTo16(out);
        PutLe16(out, instrumentPointers + 2 * i, static_cast<std::uint32_t>(out.size() / 16));
        headers.push_back(out.size());
        out.resize(out.size() + s3m::kInstrumentBytes, 0);
    }
    for (std::size_t p = 0; p < module.patterns.size(); ++p) {
        PadTo16(out);
        PutLe16(out, patternPointers + 2 * p, static_cast<std::uint32_t>(out.size() / 16));
        const std::size_t start = out.size();
        out.resize(out.size() + 2, 0);
        const std::vector<S3mCell>& cells = module.patterns[p];
        for (int row = 0; row < s3m::kRows; ++row) {
            for (int c = 0; c < s3m::kChannels; ++c) {
                const std::size_t i = static_cast<std::size_t>(row * s3m::kChannels + c);
                if (i >= cells.size()) continue;
                const S3mCell& cell = cells[i];
                std::uint8_t what = static_cast<std::uint8_t>(c);
                if (cell.note != 255 || cell.instrument != 0) what |= s3m::kEntryNote;
                if (cell.volume >= 0) what |= s3m::kEntryVolume;
                if (cell.effect != 0) what |= s3m::kEntryEffect;
                if (what == c) continue;
                out.push_back(what);
                if (what & s3m::kEntryNote) out.insert(out.end(), {cell.note, cell.instrument});
                if (what & s3m::kEntryVolume) out.push_back(static_cast<std::uint8_t>(cell.volume));
                if (what & s3m::kEntryEffect) out.insert(out.end(), {static_cast<std::uint8_t>(cell.effect - 'A' + 1), cell.param});
            }
            out.push_back(0);
        }
        PutLe16(out, start, static_cast<std::uint32_t>(out.size() - start));
    }
    for (std::size_t i = 0; i < module.samples.size(); ++i) {
        const S3mSample& sample = module.samples[i];
        PadTo16(out);
        const std::size_t h = headers[i];
        out[h + s3m::kInstrumentType] = sample.type;
        const std::uint32_t pointer = static_cast<std::uint32_t>(out.size() / 16);
        out[h + s3m::kDataPointer] = static_cast<std::uint8_t>(pointer >> 16);
        PutLe16(out, h + s3m::kDataPointer + 1, pointer & 0xFFFF);
        PutLe32(out, h + s3m::kLength, static_cast<std::uint32_t>(sample.values.size()));
        PutLe32(out, h + s3m::kLoopStart, sample.loopStart);
        PutLe32(out, h + s3m::kLoopEnd, sample.loopEnd);
        out[h + s3m::kVolume] = sample.volume;
        out[h + s3m::kPacking] = sample.packing;
        out[h + s3m::kSampleFlags] = static_cast<std::uint8_t>((sample.looped ? s3m::kLooped : 0) |
                                                               (sample.is16Bit ? s3m::k16Bit : 0));
        PutLe32(out, h + s3m::kC2Speed, sample.c2Speed);
        PutText(out, h + s3m::kSampleName, sample.name, s3m::kSampleNameBytes);
        const std::uint32_t flip = module.sampleFormat == 1 ? 0 : (sample.is16Bit ? 0x8000 : 0x80);
        for (const std::int32_t value : sample.values) {
            const auto raw = static_cast<std::uint32_t>(value) ^ flip;
            out.push_back(static_cast<std::uint8_t>(raw));
            if (sample.is16Bit) out.push_back(static_cast<std::uint8_t>(raw >> 8));
        }
    }
    return out;
}

std::vector<S3mCell> S3mPatternOf(std::vector<std::pair<int, std::vector<S3mCell>>> filled) {
    std::vector<S3mCell> cells(static_cast<std::size_t>(s3m::kRows * s3m::kChannels));
    for (auto& [row, rowCells] : filled) {
        for (std::size_t c = 0; c < rowCells.size(); ++c) {
            cells[static_cast<std::size_t>(row * s3m::kChannels) + c] = rowCells[c];
        }
    }
    return cells;
}

S3mCell S3mNote(std::uint8_t note, std::uint8_t instrument, int volume, char effect, std::uint8_t param) {
    return S3mCell{note, instrument, volume, effect, param};
}

S3mCell S3mEffect(char effect, std::uint8_t param) { return S3mCell{255, 0, -1, effect, param}; }

S3mSample S3mSquare(std::uint32_t length, bool is16Bit) {
    S3mSample sample;
    sample.is16Bit = is16Bit;
    for (std::uint32_t i = 0; i < length; ++i) sample.values.push_back((i % 16 < 8 ? 100 : -100) * (is16Bit ? 256 : 1));
    sample.looped = true;
    sample.loopEnd = length;
    return sample;
}

S3mModule S3mSongOf(std::vector<std::pair<int, std::vector<S3mCell>>> rows) {
    S3mModule module;
    module.samples = {S3mSquare()};
    module.patterns = {S3mPatternOf(std::move(rows))};
    return module;
}

}  // namespace zumbrik::test
