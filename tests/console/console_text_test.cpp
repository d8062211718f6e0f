#include <gtest/gtest.h>

#include <string>

#include "console/console_text.h"
#include "tests/console/console_fixture.h"

namespace zumbrik::testing {
namespace {

TEST(FormatUnsignedTest, WritesTheNumberInAsFewDigitsAsNeeded) {
    EXPECT_EQ(std::u16string(FormatUnsigned(u"%u", 0).text), u"0");
    EXPECT_EQ(std::u16string(FormatUnsigned(u"%u", 7).text), u"7");
    EXPECT_EQ(std::u16string(FormatUnsigned(u"%u", 4294967295u).text), u"4294967295");
    EXPECT_EQ(std::u16string(FormatUnsigned(u"До следующей: %u     ", 300000).text), u"До следующей: 300000     ");
    EXPECT_EQ(std::u16string(FormatUnsigned(u"no number", 5).text), u"no number");
    EXPECT_EQ(TextLength(u"СЧЁТ: "), 6u);
}

TEST(FormatUnsignedTest, AnOverlongFormatIsCutNotOverrun) {
    const std::u16string longFormat(100, u'x');
    const FormattedText out = FormatUnsigned((longFormat + u"%u").c_str(), 12345);
    EXPECT_EQ(TextLength(out.text), FormattedText::kCapacity - 1);
}

using WriteTextTest = ConsoleFixture;

TEST_F(WriteTextTest, ColoursExactlyTheCellsOfTheText) {
    WriteText(buffer, Coord{10, 3}, u"ПАУЗА", 0x0E);
    EXPECT_EQ(TextAt(10, 3, 5), u"ПАУЗА");
    EXPECT_TRUE(AttributeRun(10, 3, 5, 0x0E));
    EXPECT_EQ(Screen().At(9, 3).attribute, ScreenBuffer::kDefaultAttribute);
    EXPECT_EQ(Screen().At(15, 3).attribute, ScreenBuffer::kDefaultAttribute);
    // Past column 79 the text goes on in the next row.
    WriteText(buffer, Coord{78, 5}, u"abcd", 0x09);
    EXPECT_EQ(TextAt(78, 5, 2), u"ab");
    EXPECT_EQ(TextAt(0, 6, 2), u"cd");
    EXPECT_TRUE(AttributeRun(0, 6, 2, 0x09));
    EXPECT_EQ(Screen().At(2, 6).attribute, ScreenBuffer::kDefaultAttribute);
}

}  // namespace
}  // namespace zumbrik::testing
