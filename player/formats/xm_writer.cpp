#include "player/formats/xm_writer.h"

#include <algorithm>
#include <cstdlib>

#include "player/formats/xm_layout.h"

namespace zumbrik {

namespace {

void Put8(std::vector<std::uint8_t>& out, std::uint32_t value) { out.push_back(static_cast<std::uint8_t>(value)); }

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put8(out, value);
    Put8(out, value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value);
    Put16(out, value >> 16);
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        Put8(out, i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    }
}

// Writes the first `size` bytes of `image`, zero-padded when size is larger.
void PutImage(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& image, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) Put8(out, i < image.size() ? image[i] : 0);
}

void PutEnvelopePoints(std::vector<std::uint8_t>& out, const XmEnvelope& envelope) {
    for (const XmEnvelopePoint& point : envelope.points) {
        Put16(out, point.x);
        Put16(out, point.y);
    }
}

std::uint32_t FrameBytes(const XmSample& sample) { return sample.is16Bit ? 2u : 1u; }

std::vector<std::uint8_t> SampleData(const XmSample& sample) {
    if (sample.rawData) return *sample.rawData;
    std::vector<std::uint8_t> data;
    if (sample.packed4Bit) return EncodePacked4Bit(sample.values, sample.deltaTable).bytes;
    std::int32_t previous = 0;
    for (std::int32_t value : sample.values) {
        const std::int32_t delta = value - previous;
        previous = value;
        if (sample.is16Bit) {
            Put16(data, static_cast<std::uint32_t>(delta));
        } else {
            Put8(data, static_cast<std::uint32_t>(delta));
        }
    }
    return data;
}

std::vector<std::uint8_t> SampleHeaderImage(const XmSample& sample) {
    const std::uint32_t frames = static_cast<std::uint32_t>(sample.values.size());
    std::uint8_t type = static_cast<std::uint8_t>(sample.loopType & xm::kSampleLoopBits);
    if (sample.is16Bit) type |= xm::kSample16Bit;
    std::vector<std::uint8_t> image;
    Put32(image, sample.lengthField.value_or(frames * FrameBytes(sample)));
    Put32(image, sample.loopStartField.value_or(sample.loopStart * FrameBytes(sample)));
    Put32(image, sample.loopLengthField.value_or(sample.loopLength * FrameBytes(sample)));
    Put8(image, sample.volume);
    Put8(image, static_cast<std::uint8_t>(sample.finetune));
    Put8(image, sample.typeField.value_or(type));
    Put8(image, sample.panning);
    Put8(image, static_cast<std::uint8_t>(sample.relativeNote));
    Put8(image, sample.packingField.value_or(sample.packed4Bit ? xm::kPacked4Bit : 0));
    PutText(image, sample.name, xm::kSampleNameBytes);
    return image;
}

std::vector<std::uint8_t> InstrumentHeaderImage(const XmInstrument& instrument) {
    std::vector<std::uint8_t> image;
    Put32(image, instrument.headerSize);
    PutText(image, instrument.name, xm::kInstrumentNameBytes);
    Put8(image, instrument.type);
    Put16(image, instrument.sampleCountField.value_or(static_cast<std::uint16_t>(instrument.samples.size())));
    Put32(image, instrument.sampleHeaderSize);
    for (std::uint8_t entry : instrument.keymap) Put8(image, entry);
    PutEnvelopePoints(image, instrument.volumeEnvelope);
    PutEnvelopePoints(image, instrument.panningEnvelope);
    Put8(image, instrument.volumeEnvelope.pointCount);
    Put8(image, instrument.panningEnvelope.pointCount);
    for (const XmEnvelope* envelope : {&instrument.volumeEnvelope, &instrument.panningEnvelope}) {
        Put8(image, envelope->sustain);
        Put8(image, envelope->loopStart);
        Put8(image, envelope->loopEnd);
    }
    Put8(image, instrument.volumeEnvelope.type);
    Put8(image, instrument.panningEnvelope.type);
    Put8(image, instrument.vibratoType);
    Put8(image, instrument.vibratoSweep);
    Put8(image, instrument.vibratoDepth);
    Put8(image, instrument.vibratoRate);
    Put16(image, instrument.fadeout);
    image.resize(xm::kInstrumentHeaderBytes, 0);  // reserved bytes
    return image;
}

}  // namespace

Packed4BitSample EncodePacked4Bit(const std::vector<std::int32_t>& values,
                                  const std::array<std::int8_t, 16>& deltaTable) {
    Packed4BitSample result;
    for (std::int8_t delta : deltaTable) result.bytes.push_back(static_cast<std::uint8_t>(delta));
    std::int8_t accumulator = 0;
    std::uint8_t pending = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // The nibble whose step lands closest (with 8-bit wrap) to the wanted value.
        const std::int8_t wanted = static_cast<std::int8_t>(values[i]);
        int bestNibble = 0;
        int bestError = 1 << 30;
        for (int nibble = 0; nibble < 16; ++nibble) {
            const std::int8_t reached = static_cast<std::int8_t>(accumulator + deltaTable[nibble]);
            const int error = std::abs(static_cast<int>(reached) - static_cast<int>(wanted));
            if (error < bestError) {
                bestError = error;
                bestNibble = nibble;
            }
        }
        accumulator = static_cast<std::int8_t>(accumulator + deltaTable[bestNibble]);
        result.decoded.push_back(accumulator);
        if (i % 2 == 0) {
            pending = static_cast<std::uint8_t>(bestNibble);
        } else {
            result.bytes.push_back(static_cast<std::uint8_t>(pending | (bestNibble << 4)));
        }
    }
    if (values.size() % 2 != 0) result.bytes.push_back(pending);
    return result;
}

std::vector<std::uint8_t> EncodePatternCells(const XmPattern& pattern, std::uint16_t channels) {
    std::vector<std::uint8_t> data;
    if (pattern.encoding == XmPatternEncoding::NoData) return data;
    const std::size_t count = static_cast<std::size_t>(pattern.rows) * (channels & 0xFF);
    for (std::size_t i = 0; i < count; ++i) {
        const XmCell cell = i < pattern.cells.size() ? pattern.cells[i] : XmCell{};
        const std::uint8_t fields[xm::kCellBytes] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.param};
        constexpr std::uint8_t kFieldBits[xm::kCellBytes] = {xm::kCellNote, xm::kCellInstrument, xm::kCellVolume,
                                                             xm::kCellEffect, xm::kCellParam};
        std::uint8_t mask = 0;
        for (std::size_t f = 0; f < xm::kCellBytes; ++f) {
            if (fields[f] != 0) mask = static_cast<std::uint8_t>(mask | kFieldBits[f]);
        }
        constexpr std::uint8_t kAllFields = xm::kCellNote | xm::kCellInstrument | xm::kCellVolume | xm::kCellEffect |
                                            xm::kCellParam;
        if (pattern.encoding == XmPatternEncoding::Unpacked || mask == kAllFields) {
            for (std::uint8_t field : fields) Put8(data, field);
            continue;
        }
        Put8(data, xm::kCellPacked | mask);
        for (std::size_t f = 0; f < xm::kCellBytes; ++f) {
            if (mask & kFieldBits[f]) Put8(data, fields[f]);
        }
    }
    return data;
}

std::vector<std::uint8_t> WriteXm(const XmModule& module) {
    std::vector<std::uint8_t> out;
    PutText(out, xm::kIdText, xm::kIdTextBytes);
    PutText(out, module.name, xm::kModuleNameBytes);
    Put8(out, xm::kNameEndByte);
    PutText(out, module.trackerName, xm::kTrackerNameBytes);
    Put16(out, module.version);
    Put32(out, module.headerSize);
    const std::size_t orderCount = std::min<std::size_t>(module.orders.size(), xm::kOrderTableBytes);
    Put16(out, module.songLengthField.value_or(static_cast<std::uint16_t>(orderCount)));
    Put16(out, module.restartPosition);
    Put16(out, module.channels);
    Put16(out, module.patternCountField.value_or(static_cast<std::uint16_t>(module.patterns.size())));
    Put16(out, module.instrumentCountField.value_or(static_cast<std::uint16_t>(module.instruments.size())));
    Put16(out, module.flags);
    Put16(out, module.tempo);
    Put16(out, module.bpm);
    for (std::size_t i = 0; i < xm::kOrderTableBytes; ++i) Put8(out, i < orderCount ? module.orders[i] : 0);
    // The patterns start where the header size says, which may lie inside the order table.
    out.resize(xm::kHeaderSizeBase + static_cast<std::size_t>(module.headerSize), 0);

    for (const XmPattern& pattern : module.patterns) {
        const std::vector<std::uint8_t> data = EncodePatternCells(pattern, module.channels);
        Put32(out, pattern.headerLength);
        Put8(out, 0);  // packing type
        Put16(out, pattern.rows);
        Put16(out, pattern.packedSizeField.value_or(static_cast<std::uint16_t>(data.size())));
        out.insert(out.end(), data.begin(), data.end());
    }

    for (const XmInstrument& instrument : module.instruments) {
        PutImage(out, InstrumentHeaderImage(instrument), instrument.headerSize);
        for (const XmSample& sample : instrument.samples) {
            PutImage(out, SampleHeaderImage(sample), instrument.sampleHeaderSize);
        }
        for (const XmSample& sample : instrument.samples) {
            const std::vector<std::uint8_t> data = SampleData(sample);
            out.insert(out.end(), data.begin(), data.end());
        }
    }
    return out;
}

}  // namespace zumbrik
