#include "platform/posix/key_parser.h"

#include <gtest/gtest.h>

#include <string_view>

#include "platform/console_input.h"

namespace zumbrik {
namespace {

constexpr std::uint16_t kRepaint = 0xFFFF;  // stands for a repaint request in these lists

class KeyParserTest : public ::testing::Test {
protected:
    // Feeds each piece as a separate read and returns the keys so far.
    std::vector<std::uint16_t> Feed(std::initializer_list<std::string_view> reads) {
        for (std::string_view bytes : reads)
            parser.Feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), keys);
        return Received();
    }
    std::vector<std::uint16_t> Received() const {
        std::vector<std::uint16_t> codes;
        for (const TerminalKey& key : keys)
            codes.push_back(key.kind == TerminalKey::Kind::Repaint ? kRepaint : key.virtualKey);
        return codes;
    }

    KeyParser parser;
    std::vector<TerminalKey> keys;
};

using Codes = std::vector<std::uint16_t>;

TEST_F(KeyParserTest, ArrowsInBothFormsAndWithModifiers) {
    EXPECT_EQ(Feed({"\x1b[A\x1b[B\x1b[C\x1b[D"}), (Codes{kVkUp, kVkDown, kVkRight, kVkLeft}));
    keys.clear();
    EXPECT_EQ(Feed({"\x1bOA\x1bOB\x1bOC\x1bOD"}), (Codes{kVkUp, kVkDown, kVkRight, kVkLeft}));
    keys.clear();
    EXPECT_EQ(Feed({"\x1b[1;2D"}), (Codes{kVkLeft}));
    EXPECT_FALSE(parser.Pending());
}

TEST_F(KeyParserTest, SequencesSplitAcrossReadsStillParse) {
    EXPECT_EQ(Feed({"\x1b"}), Codes{});
    EXPECT_TRUE(parser.Pending());
    EXPECT_EQ(Feed({"[", "1;5", "C", "\x1bO", "A"}), (Codes{kVkRight, kVkUp}));
    keys.clear();
    // A Cyrillic letter, one byte at a time: one key, not two.
    EXPECT_EQ(Feed({"\xd0", "\xb7"}), (Codes{kVkP}));
    EXPECT_EQ(keys[0].character, u'з');
}

TEST_F(KeyParserTest, LoneEscapeWaitsForTheTimeout) {
    EXPECT_EQ(Feed({"\x1b"}), Codes{});
    parser.Expire(keys);
    EXPECT_EQ(Received(), (Codes{kVkEscape}));
    EXPECT_FALSE(parser.Pending());
    keys.clear();
    // Two presses of Escape in one read: the first is complete at once.
    EXPECT_EQ(Feed({"\x1b\x1b"}), (Codes{kVkEscape}));
    parser.Expire(keys);
    EXPECT_EQ(Received(), (Codes{kVkEscape, kVkEscape}));
    keys.clear();
    // Expiring with nothing pending does nothing.
    parser.Expire(keys);
    EXPECT_TRUE(keys.empty());
}

TEST_F(KeyParserTest, GameKeysInEitherCaseAndLayout) {
    EXPECT_EQ(Feed({"fFmMpP\r\n"}), (Codes{kVkF, kVkF, kVkM, kVkM, kVkP, kVkP, kVkReturn, kVkReturn}));
    keys.clear();
    EXPECT_EQ(Feed({"аАьЬзЗ"}), (Codes{kVkF, kVkF, kVkM, kVkM, kVkP, kVkP}));
    keys.clear();
    EXPECT_EQ(Feed({"\x1bOM"}), (Codes{kVkReturn}));
}

TEST_F(KeyParserTest, EveryOtherKeyIsOneUnusedKey) {
    // x, Home, F5, Alt+p, a stray continuation byte, a tab, a euro sign.
    EXPECT_EQ(Feed({"x\x1b[H\x1b[15~\x1bp\x80\t\xe2\x82\xac"}), Codes(7, kVkUnused));
    EXPECT_FALSE(parser.Pending());
}

TEST_F(KeyParserTest, CtrlLAsksForARepaint) {
    EXPECT_EQ(Feed({"p\x0cp"}), (Codes{kVkP, kRepaint, kVkP}));
}

TEST_F(KeyParserTest, BrokenSequencesCostOneKeyAndResync) {
    // A CSI cut by a control byte, an SS3 cut by Escape, a UTF-8 letter cut
    // by an arrow: the byte that broke each is read afresh.
    EXPECT_EQ(Feed({"\x1b[1\r", "\x1bO\x1b[A", "\xd0\x1b[B"}),
              (Codes{kVkUnused, kVkReturn, kVkUnused, kVkUp, kVkUnused, kVkDown}));
    keys.clear();
    // An unfinished sequence expires as one unused key.
    Feed({"\x1b[12;"});
    parser.Expire(keys);
    EXPECT_EQ(Received(), Codes{kVkUnused});
}

TEST_F(KeyParserTest, ResetDropsAHalfReadSequence) {
    Feed({"\x1b["});
    parser.Reset();
    EXPECT_EQ(Feed({"m"}), (Codes{kVkM}));
}

}  // namespace
}  // namespace zumbrik
