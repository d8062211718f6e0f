// Writes the fuzzer's seed modules, made with the tests' module builder, into a folder.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/xm_builder.h"

using namespace zumbrik;
using test::BusyModule;
using test::BusyPattern;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xm_fuzz_seeds DIR\n");
        return 2;
    }
    std::vector<std::pair<std::string, XmModule>> seeds;
    seeds.emplace_back("basic", BusyModule());
    {
        XmModule module = BusyModule();
        module.patterns[0].encoding = XmPatternEncoding::Unpacked;
        module.patterns[1].encoding = XmPatternEncoding::NoData;
        module.flags = 0;
        seeds.emplace_back("unpacked_amiga", module);
    }
    {
        XmModule module = BusyModule();
        module.orders = {0, 9, 1};
        module.headerSize = 200;
        seeds.emplace_back("missing_pattern_short_header", module);
    }
    {
        XmModule module = BusyModule();
        XmInstrument empty;
        empty.headerSize = 29;
        module.instruments.insert(module.instruments.begin(), empty);
        module.instruments[1].headerSize = 220;
        module.instruments[2].sampleHeaderSize = 18;
        seeds.emplace_back("odd_instrument_headers", module);
    }
    {
        XmModule module = BusyModule();
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
        XmModule module = BusyModule();
        module.channels = 1;
        module.patterns = {BusyPattern(1, 1, 0)};
        module.orders = {0};
        module.tempo = 1;
        module.bpm = 255;
        seeds.emplace_back("tiny", module);
    }
    {
        XmModule module = BusyModule();
        module.channels = 12;
        module.patterns = {BusyPattern(64, 12, 2)};
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
