#include "player/formats/mod_cells.h"

#include <cmath>

#include "player/song/effect_codes.h"

namespace zumbrik {

namespace {

constexpr std::uint8_t kNone = 0xFF;  // an effect that does nothing

// Effect and parameter after ProTracker's rules, kNone when the cell does nothing.
void ApplyModRules(std::uint8_t& code, std::uint8_t& param) {
    const std::uint8_t x = param >> 4;
    const std::uint8_t y = param & 15;
    switch (code) {
        case effect::kPortamentoUp:
        case effect::kPortamentoDown:
        case effect::kVolumeSlide:
            if (param == 0) code = kNone;
            break;
        case effect::kTonePortamentoVolumeSlide:
            if (param == 0) code = effect::kTonePortamento;
            break;
        case effect::kVibratoVolumeSlide:
            if (param == 0) code = effect::kVibrato;
            break;
        case effect::kSetVolume:
            if (param > 64) param = 64;
            break;
        case effect::kPatternBreak:
            if (10 * x + y > 63) param = 0;
            break;
        case effect::kSpeedTempo:
            if (param == 0) code = kNone;
            break;
        case effect::kExtended:
            if (y != 0) break;
            if (x == extended_effect::kFinePortamentoUp || x == extended_effect::kFinePortamentoDown ||
                x == extended_effect::kFineVolumeSlideUp || x == extended_effect::kFineVolumeSlideDown ||
                x == extended_effect::kNoteDelay) {
                code = kNone;
            } else if (x == extended_effect::kNoteCut) {
                code = effect::kSetVolume;
                param = 0;
            }
            break;
        default:
            break;
    }
}

}  // namespace

std::uint8_t NoteOfModPeriod(int period) {
    if (period <= 0) return 0;
    // The engine's Amiga periods are four times ProTracker's: 13.375 x 2^((132 - k) / 12) for note k + 1.
    const double k = 132.0 - 12.0 * std::log2(4.0 * period / 13.375);
    const long note = std::lround(k) + 1;
    return static_cast<std::uint8_t>(note < 1 ? 1 : (note > kHighestNote ? kHighestNote : note));
}

PatternCell ConvertModCell(const std::uint8_t* bytes) {
    PatternCell cell{};
    cell.note = NoteOfModPeriod((bytes[0] & 0x0F) << 8 | bytes[1]);
    cell.instrument = static_cast<std::uint8_t>((bytes[0] & 0xF0) | bytes[2] >> 4);
    std::uint8_t code = bytes[2] & 0x0F;
    std::uint8_t param = bytes[3];
    ApplyModRules(code, param);
    if (code != kNone) {
        cell.effect = code;
        cell.param = param;
    }
    return cell;
}

}  // namespace zumbrik
