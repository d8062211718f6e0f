// Writes the fuzzer's seed modules, made with our own writer, into a folder.
#include <cstdio>
#include <string>
#include <vector>

#include "player/xm_writer.h"

namespace {

using namespace zumbrik;

XmSample Sample(bool is16Bit, std::uint8_t loopType, int frames) {
    XmSample sample;
    sample.is16Bit = is16Bit;
    for (int i = 0; i < frames; ++i) sample.values.push_back(((i * 13) % 50 - 25) * (is16Bit ? 1000 : 4));
    sample.loopType = loopType;
    sample.loopStart = static_cast<std::uint32_t>(frames / 4);
    sample.loopLength = static_cast<std::uint32_t>(frames / 2);
    sample.relativeNote = 3;
    sample.finetune = -16;
    return sample;
}

XmInstrument Instrument(std::vector<XmSample> samples) {
    XmInstrument instrument;
    instrument.samples = std::move(samples);
    for (int i = 0; i < 96; ++i) instrument.keymap[i] = static_cast<std::uint8_t>(i * instrument.samples.size() / 96);
    instrument.volumeEnvelope.points[0] = {0, 64};
    instrument.volumeEnvelope.points[1] = {10, 20};
    instrument.volumeEnvelope.points[2] = {30, 40};
    instrument.volumeEnvelope.pointCount = 3;
    instrument.volumeEnvelope.sustain = 1;
    instrument.volumeEnvelope.loopStart = 1;
    instrument.volumeEnvelope.loopEnd = 2;
    instrument.volumeEnvelope.type = 7;
    instrument.panningEnvelope.points[0] = {0, 0};
    instrument.panningEnvelope.points[1] = {20, 64};
    instrument.panningEnvelope.pointCount = 2;
    instrument.panningEnvelope.type = 1;
    instrument.vibratoType = 1;
    instrument.vibratoDepth = 4;
    instrument.vibratoRate = 8;
    instrument.vibratoSweep = 16;
    instrument.fadeout = 512;
    return instrument;
}

XmPattern Pattern(std::uint16_t rows, int channels, int salt) {
    XmPattern pattern;
    pattern.rows = rows;
    static const std::uint8_t effects[] = {0x00, 0x01, 0x03, 0x04, 0x0A, 0x0C, 0x0E, 0x0F, 0x10, 0x14, 0x19, 0x1B};
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < channels; ++c) {
            XmCell cell;
            if ((r + c + salt) % 3 == 0) {
                cell.note = static_cast<std::uint8_t>(1 + (r * 7 + c * 5 + salt) % 96);
                cell.instrument = static_cast<std::uint8_t>(1 + (r + c) % 2);
            }
            if ((r + salt) % 8 == 7) cell.note = 97;
            if ((r * 3 + c) % 5 == 0) {
                cell.effect = effects[(r + c + salt) % (sizeof effects)];
                cell.param = static_cast<std::uint8_t>((r * 17 + c) & 0xFF);
            }
            if ((r + c) % 4 == 1) cell.volume = static_cast<std::uint8_t>(0x10 + (r * 11) % 0xF0);
            pattern.cells.push_back(cell);
        }
    }
    return pattern;
}

XmModule Basic() {
    XmModule module;
    module.channels = 4;
    module.orders = {0, 1, 0};
    module.patterns = {Pattern(16, 4, 0), Pattern(8, 4, 1)};
    module.instruments = {Instrument({Sample(false, 1, 64)}), Instrument({Sample(true, 2, 48), Sample(false, 0, 20)})};
    return module;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xm_fuzz_seeds DIR\n");
        return 2;
    }
    std::vector<std::pair<std::string, XmModule>> seeds;
    seeds.emplace_back("basic", Basic());
    {
        XmModule module = Basic();
        module.patterns[0].encoding = XmPatternEncoding::Unpacked;
        module.patterns[1].encoding = XmPatternEncoding::NoData;
        module.flags = 0;
        seeds.emplace_back("unpacked_amiga", module);
    }
    {
        XmModule module = Basic();
        module.orders = {0, 9, 1};
        module.headerSize = 200;
        seeds.emplace_back("missing_pattern_short_header", module);
    }
    {
        XmModule module = Basic();
        XmInstrument empty;
        empty.headerSize = 29;
        module.instruments.insert(module.instruments.begin(), empty);
        module.instruments[1].headerSize = 220;
        module.instruments[2].sampleHeaderSize = 18;
        seeds.emplace_back("odd_instrument_headers", module);
    }
    {
        XmModule module = Basic();
        XmSample packed;
        packed.packed4Bit = true;
        for (int i = 0; i < 33; ++i) packed.values.push_back((i * 9) % 60 - 30);
        packed.loopType = 1;
        packed.loopStart = 4;
        packed.loopLength = 20;
        module.instruments[0].samples.push_back(packed);
        seeds.emplace_back("packed_4bit", module);
    }
    {
        XmModule module = Basic();
        module.channels = 1;
        module.patterns = {Pattern(1, 1, 0)};
        module.orders = {0};
        module.tempo = 1;
        module.bpm = 255;
        seeds.emplace_back("tiny", module);
    }
    {
        XmModule module = Basic();
        module.channels = 12;
        module.patterns = {Pattern(64, 12, 2)};
        module.orders = {0, 0};
        module.restartPosition = 1;
        seeds.emplace_back("wide", module);
    }
    for (const auto& [name, module] : seeds) {
        const std::vector<std::uint8_t> bytes = WriteXm(module);
        const std::string path = std::string(argv[1]) + "/" + name + ".xm";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            std::fprintf(stderr, "xm_fuzz_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
        std::fclose(file);
    }
    return 0;
}
