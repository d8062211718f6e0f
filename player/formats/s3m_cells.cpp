#include "player/formats/s3m_cells.h"

#include <algorithm>

#include "player/song/effect_codes.h"

namespace zumbrik {

namespace {

constexpr std::uint8_t Letter(char c) { return static_cast<std::uint8_t>(c - 'A' + 1); }

struct Converted {
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
    std::uint8_t volume = 0;  // a volume-column command the effect needs, 0 for none
};

constexpr Converted Effect(std::uint8_t code, std::uint8_t param) { return Converted{code, param, 0}; }
constexpr Converted Extended(std::uint8_t sub, std::uint8_t y) {
    return Converted{effect::kExtended, static_cast<std::uint8_t>(sub << 4 | (y & 15)), 0};
}

// Dxy: x0 up, 0y down, xF fine up, Fy fine down. With both nibbles set
// otherwise, the slide goes down.
Converted VolumeSlide(std::uint8_t param) {
    const std::uint8_t x = param >> 4, y = param & 15;
    if (x == 15 && y != 0) return Extended(extended_effect::kFineVolumeSlideDown, y);
    if (y == 15 && x != 0) return Extended(extended_effect::kFineVolumeSlideUp, x);
    return Effect(effect::kVolumeSlide, y != 0 ? y : param);
}

// A volume slide beside vibrato (K) or tone portamento (L): a fine one goes
// to the volume column, since the effect column holds the other half.
Converted SlideBeside(std::uint8_t code, std::uint8_t keptHalf, std::uint8_t param) {
    const Converted slide = VolumeSlide(param);
    if (slide.effect == effect::kVolumeSlide) return Effect(code, slide.param);
    const bool up = slide.param >> 4 == extended_effect::kFineVolumeSlideUp;
    return Converted{keptHalf, 0,
                     static_cast<std::uint8_t>((up ? volume_column::kFineSlideUp : volume_column::kFineSlideDown) << 4 |
                                               (slide.param & 15))};
}

// Exx / Fxx: below E0 a slide on every tick; Ex, Fx one extra-fine or fine step.
Converted Portamento(std::uint8_t code, std::uint8_t fineSub, std::uint8_t extraFine, std::uint8_t param) {
    if (param >= 0xF0) return Extended(fineSub, param);
    if (param >= 0xE0) return Effect(effect::kExtraFinePortamento, static_cast<std::uint8_t>(extraFine << 4 | (param & 15)));
    return Effect(code, param);
}

Converted SCommand(std::uint8_t param) {
    const std::uint8_t y = param & 15;
    switch (param >> 4) {
        case 0x2: return Extended(extended_effect::kSetFinetune, y ^ 8);  // 8 is no finetune here
        case 0x3: return Extended(extended_effect::kVibratoWaveform, y);
        case 0x4: return Extended(extended_effect::kTremoloWaveform, y);
        case 0x8: return Extended(extended_effect::kSetPanning, y);
        case 0xB: return Extended(extended_effect::kPatternLoop, y);
        case 0xC: return y == 0 ? Converted{} : Extended(extended_effect::kNoteCut, y);
        case 0xD: return y == 0 ? Converted{} : Extended(extended_effect::kNoteDelay, y);
        case 0xE: return Extended(extended_effect::kPatternDelay, y);
        default: return Converted{};  // filter, glissando, funk repeat and the rest: no sound of their own
    }
}

bool SharesMemory(std::uint8_t letter) {
    for (const char c : {'D', 'E', 'F', 'I', 'J', 'K', 'L', 'Q', 'R'}) {
        if (letter == Letter(c)) return true;
    }
    return false;
}

Converted ConvertEffect(std::uint8_t letter, std::uint8_t param, S3mOrderMap orders) {
    switch (letter) {
        case Letter('A'):
            return param == 0 ? Converted{} : Effect(effect::kSetSpeed, param);
        case Letter('B'):
            return Effect(effect::kPositionJump, param < orders.count ? orders.newIndex[param] : param);
        case Letter('C'):
            return Effect(effect::kPatternBreak, 10 * (param >> 4) + (param & 15) > 63 ? 0 : param);
        case Letter('D'): return VolumeSlide(param);
        case Letter('E'): return Portamento(effect::kPortamentoDown, extended_effect::kFinePortamentoDown, 2, param);
        case Letter('F'): return Portamento(effect::kPortamentoUp, extended_effect::kFinePortamentoUp, 1, param);
        case Letter('G'): return Effect(effect::kTonePortamento, param);
        case Letter('H'): return Effect(effect::kVibrato, param);
        case Letter('I'): return Effect(effect::kTremor, param);
        case Letter('J'): return Effect(effect::kArpeggio, param);
        case Letter('K'): return SlideBeside(effect::kVibratoVolumeSlide, effect::kVibrato, param);
        case Letter('L'): return SlideBeside(effect::kTonePortamentoVolumeSlide, effect::kTonePortamento, param);
        case Letter('O'): return Effect(effect::kSampleOffset, param);
        case Letter('Q'): return Effect(effect::kMultiRetrig, param);
        case Letter('R'): return Effect(effect::kTremolo, param);
        case Letter('S'): return SCommand(param);
        case Letter('T'): return param > 0x20 ? Effect(effect::kSpeedTempo, param) : Converted{};
        case Letter('U'): {
            // Fine vibrato: a quarter of the depth.
            const std::uint8_t depth = param & 15;
            return Effect(effect::kVibrato, static_cast<std::uint8_t>((param & 0xF0) | (depth == 0 ? 0 : std::max(depth / 4, 1))));
        }
        case Letter('V'): return Effect(effect::kSetGlobalVolume, std::min<std::uint8_t>(param, 64));
        case Letter('X'):
            // 0..0x80 from left to right; A4 (surround) plays in the middle.
            return Effect(effect::kSetPanning, param == 0xA4 ? 128 : static_cast<std::uint8_t>(std::min(2 * param, 255)));
        default: return Converted{};
    }
}

}  // namespace

void ConvertS3mCell(PatternCell& cell, S3mChannelMemory& memory, S3mOrderMap orders) {
    const std::uint8_t letter = cell.effect;
    std::uint8_t param = cell.param;
    cell.effect = 0;
    cell.param = 0;
    if (letter != 0 && SharesMemory(letter)) {
        if (param == 0) param = memory.shared;
        memory.shared = param;
    }
    // A shared effect with nothing remembered yet does nothing.
    const Converted converted = letter == 0 || (param == 0 && SharesMemory(letter)) ? Converted{}
                                                                                     : ConvertEffect(letter, param, orders);
    cell.effect = converted.effect;
    cell.param = converted.param;
    if (converted.volume != 0 && cell.volume == 0) cell.volume = converted.volume;
    if (cell.note == kS3mNoteCut) {
        cell.note = 0;
        if (cell.effect == 0 && cell.param == 0) {
            cell.effect = effect::kSetVolume;
        } else if (cell.volume == 0) {
            cell.volume = volume_column::kFirstSetVolume;
        } else {
            cell.note = kKeyOffNote;
        }
    }
}

}  // namespace zumbrik
