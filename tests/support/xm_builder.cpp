#include "tests/support/xm_builder.h"

namespace zumbrik::test {

XmCell Cell(std::uint8_t note, std::uint8_t instrument, std::uint8_t volume, std::uint8_t effect,
            std::uint8_t param) {
    return XmCell{note, instrument, volume, effect, param};
}

XmCell Effect(std::uint8_t effect, std::uint8_t param) { return XmCell{0, 0, 0, effect, param}; }

XmPattern PatternOf(std::uint16_t rows, std::uint16_t channels,
                    std::vector<std::pair<int, std::vector<XmCell>>> filled) {
    XmPattern pattern;
    pattern.rows = rows;
    pattern.cells.assign(static_cast<std::size_t>(rows) * channels, XmCell{});
    for (auto& [row, cells] : filled) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            pattern.cells[static_cast<std::size_t>(row) * channels + c] = cells[c];
        }
    }
    return pattern;
}

XmSample Saw(std::uint32_t length, std::uint8_t loopType, bool is16Bit) {
    XmSample sample;
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::int32_t v = 100 - static_cast<std::int32_t>(200 * i / length);
        sample.values.push_back(is16Bit ? v * 300 + static_cast<std::int32_t>(i) : v);
    }
    sample.is16Bit = is16Bit;
    sample.loopType = loopType;
    sample.loopLength = loopType != 0 ? length : 0;
    return sample;
}

XmInstrument Instrument(std::vector<XmSample> samples) {
    XmInstrument instrument;
    instrument.samples = std::move(samples);
    return instrument;
}

XmEnvelope Envelope(std::vector<XmEnvelopePoint> points, std::uint8_t type, std::uint8_t sustain,
                    std::uint8_t loopStart, std::uint8_t loopEnd) {
    XmEnvelope envelope;
    for (std::size_t i = 0; i < points.size(); ++i) envelope.points[i] = points[i];
    envelope.pointCount = static_cast<std::uint8_t>(points.size());
    envelope.type = type;
    envelope.sustain = sustain;
    envelope.loopStart = loopStart;
    envelope.loopEnd = loopEnd;
    return envelope;
}

XmModule ToneModule(std::uint16_t channels, std::uint16_t tempo) {
    XmModule module;
    module.channels = channels;
    module.tempo = tempo;
    module.bpm = 250;  // 480 frames per tick keeps the tests quick
    XmSample sample;
    sample.values.assign(1000, 64);  // 16384 once decoded
    sample.loopType = 1;
    sample.loopStart = 0;
    sample.loopLength = 1000;
    module.instruments = {Instrument({sample})};
    return module;
}

XmModule StepModule(std::uint16_t rows, std::uint8_t firstNote) {
    XmModule module;
    module.channels = 2;
    module.tempo = 5;
    module.bpm = 125;
    XmSample sample;
    for (int i = 0; i < 64; ++i) sample.values.push_back(i < 32 ? 90 : -90);
    sample.loopType = 1;
    sample.loopLength = 64;
    module.instruments = {Instrument({sample})};
    XmPattern pattern;
    pattern.rows = rows;
    for (std::uint16_t row = 0; row < rows; ++row) {
        pattern.cells.push_back(XmCell{static_cast<std::uint8_t>(firstNote + row % 24), 1, 0, 0, 0});
        pattern.cells.push_back(XmCell{static_cast<std::uint8_t>(firstNote + 7 + row % 5), 1, 0, 0, 0});
    }
    module.patterns = {pattern};
    module.orders = {0};
    return module;
}

std::vector<std::uint8_t> StepSong(std::uint16_t rows, std::uint8_t firstNote) {
    return WriteXm(StepModule(rows, firstNote));
}

XmSample VariedSample(bool is16Bit, std::uint8_t loopType, int frames) {
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

XmInstrument EnvelopedInstrument(std::vector<XmSample> samples) {
    XmInstrument instrument = Instrument(std::move(samples));
    for (int i = 0; i < 96; ++i) instrument.keymap[i] = static_cast<std::uint8_t>(i * instrument.samples.size() / 96);
    instrument.volumeEnvelope = Envelope({{0, 64}, {10, 20}, {30, 40}}, 7, 1, 1, 2);
    instrument.panningEnvelope = Envelope({{0, 0}, {20, 64}}, 1);
    instrument.vibratoType = 1;
    instrument.vibratoDepth = 4;
    instrument.vibratoRate = 8;
    instrument.vibratoSweep = 16;
    instrument.fadeout = 512;
    return instrument;
}

XmPattern BusyPattern(std::uint16_t rows, int channels, int salt) {
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

XmModule BusyModule() {
    XmModule module;
    module.channels = 4;
    module.orders = {0, 1, 0};
    module.patterns = {BusyPattern(16, 4, 0), BusyPattern(8, 4, 1)};
    module.instruments = {EnvelopedInstrument({VariedSample(false, 1, 64)}),
                          EnvelopedInstrument({VariedSample(true, 2, 48), VariedSample(false, 0, 20)})};
    return module;
}

}  // namespace zumbrik::test
