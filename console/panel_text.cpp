#include "console/panel_text.h"

#include "console/console_text.h"
#include "console/screen_layout.h"

namespace zumbrik {

namespace {

// The texts for the start of a game carry trailing blanks that wipe the longer
// texts a previous game left; later texts only grow within a game.
constexpr char16_t kScoreZero[] = u"СЧЁТ: 0              ";
constexpr char16_t kScoreFormat[] = u"СЧЁТ: %u";
constexpr char16_t kLevelOne[] = u"СЛОЖНОСТЬ: 1            ";
constexpr char16_t kLevelFormat[] = u"СЛОЖНОСТЬ: %u";
constexpr char16_t kThresholdFormat[] = u"До следующей: %u     ";
constexpr char16_t kTopLevel[] = u"Сложность максимальна     ";
constexpr char16_t kGameOver[] = u"ИГРА ОКОНЧЕНА! ";
constexpr char16_t kGameOverHint[] = u"ENTER - заново";
constexpr char16_t kGameOverWipe[] = u"                      ";

}  // namespace

void ShowWellDigits(ConsoleBuffer buffer, const Well& well) {
    for (int r = kWellTopRow; r <= kWellFloorRow; ++r)
        for (int i = 0; i < kWellColumns; ++i) {
            const FormattedText digit = FormatUnsigned(u"%u", well.At(kWellLeftColumn + i, r));
            WriteText(buffer, Coord{static_cast<std::int16_t>(1 + i), static_cast<std::int16_t>(r)}, digit.text,
                      kDigitsAttribute);
        }
}

void ShowScore(ConsoleBuffer buffer, std::uint32_t score) {
    if (score == 0) {
        WriteText(buffer, kScoreAt, kScoreZero, kScoreAttribute);
        return;
    }
    WriteText(buffer, kScoreAt, FormatUnsigned(kScoreFormat, score).text, kScoreAttribute);
}

void ShowLevel(ConsoleBuffer buffer, std::uint32_t levelIndex, std::uint32_t nextThreshold) {
    if (levelIndex == 0)
        WriteText(buffer, kLevelAt, kLevelOne, kScoreAttribute);
    else
        WriteText(buffer, kLevelAt, FormatUnsigned(kLevelFormat, levelIndex + 1).text, kScoreAttribute);
    if (nextThreshold != 0)
        WriteText(buffer, kThresholdAt, FormatUnsigned(kThresholdFormat, nextThreshold).text, kNoticeAttribute);
    else
        WriteText(buffer, kThresholdAt, kTopLevel, kNoticeAttribute);
}

void ShowGameOver(ConsoleBuffer buffer) {
    WriteText(buffer, kGameOverAt, kGameOver, kNoticeAttribute);
    WriteText(buffer, kGameOverHintAt, kGameOverHint, kNoticeAttribute);
}

void WipeGameOver(ConsoleBuffer buffer) {
    WriteText(buffer, kGameOverAt, kGameOverWipe, kNoticeAttribute);
    WriteText(buffer, kGameOverHintAt, kGameOverWipe, kNoticeAttribute);
}

}  // namespace zumbrik
