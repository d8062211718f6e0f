#include "console/score_text.h"

#include "console/console_text.h"
#include "console/screen_layout.h"

namespace zumbrik {

namespace {
constexpr char16_t kBestScoreFormat[] = u"РЕКОРД: %u";
constexpr char16_t kTablePlaceFormat[] = u"МЕСТО В ТАБЛИЦЕ: %u";
constexpr char16_t kTablePlaceWipe[] = u"                     ";
}  // namespace

void ShowBestScore(ConsoleBuffer buffer, std::uint32_t score) {
    WriteText(buffer, kBestScoreAt, FormatUnsigned(kBestScoreFormat, score).text, kScoreAttribute);
}

void ShowTablePlace(ConsoleBuffer buffer, std::size_t place) {
    WriteText(buffer, kTablePlaceAt, FormatUnsigned(kTablePlaceFormat, static_cast<std::uint32_t>(place)).text,
              kNoticeAttribute);
}

void WipeTablePlace(ConsoleBuffer buffer) { WriteText(buffer, kTablePlaceAt, kTablePlaceWipe, kNoticeAttribute); }

}  // namespace zumbrik
