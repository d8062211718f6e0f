#include <gtest/gtest.h>

#include "model/score_table.h"

namespace zumbrik {
namespace {

ScoreEntry Game(std::uint32_t score, std::string login = "anna") {
    return ScoreEntry{score, 3, 12, "2026-12-07T11:10:55", std::move(login)};
}

TEST(ScoreTableTest, AGameTakesItsPlaceBelowEqualScoresAndTheTableKeepsTheTenBest) {
    ScoreTable table;
    EXPECT_EQ(AddScore(table, Game(500, "first")), 1u);
    EXPECT_EQ(AddScore(table, Game(900)), 1u);
    EXPECT_EQ(AddScore(table, Game(500, "second")), 3u);  // the older 500 keeps its place
    EXPECT_EQ(table[1].login, "first");
    for (std::uint32_t s = 1; s <= 7; ++s) AddScore(table, Game(s * 10));
    ASSERT_EQ(table.size(), kScoreTableSize);
    EXPECT_EQ(AddScore(table, Game(10)), 0u);  // equal to the last: it does not get in
    EXPECT_EQ(table.back().score, 10u);
    EXPECT_EQ(AddScore(table, Game(600)), 2u);
    EXPECT_EQ(table.size(), kScoreTableSize);
    EXPECT_EQ(table.back().score, 20u);
}

TEST(ScoreTableTest, TheWrittenTextReadsBackAndNamesAreCleaned) {
    const ScoreTable table{Game(4294967295u, "anna maria"), Game(7, "x\ty\x1b"), Game(0, "")};
    const std::string text = FormatScoreTable(table);
    EXPECT_EQ(text.substr(0, 17), "zumbrik-scores 1\n");
    const std::optional<ScoreTable> back = ParseScoreTable(text);
    ASSERT_TRUE(back.has_value());
    const ScoreTable cleaned{Game(4294967295u, "anna maria"), Game(7, "x?y?"), Game(0, "?")};
    EXPECT_EQ(*back, cleaned);
    EXPECT_EQ(ParseScoreTable(FormatScoreTable({})), ScoreTable{});
}

TEST(ScoreTableTest, AnythingTheWriterWouldNotProduceIsDamaged) {
    const std::string head = "zumbrik-scores 1\n";
    const std::string good = "500\t3\t12\t2026-12-07T11:10:55\tanna\n";
    std::string eleven = head;
    for (int k = 0; k < 11; ++k) eleven += good;
    const std::string damaged[] = {
        "",
        "\n\n",
        good,                                               // no tag
        head + "500\t3\t12\t2026-12-07T11:10:55\tanna",     // cut off before the newline
        head + "\n" + good,                                 // an empty line before a game
        head + "500\t3\t12\t2026-12-07T11:10:55\tan\rna\n",  // a CR inside a line
        head + "500\t3\t12\t2026-12-07T11:10:55\n",         // no login
        head + "500\t3\t12\t2026-12-07T11:10:55\t\n",       // an empty login
        head + "500 3 12 2026-12-07T11:10:55 anna\n",       // spaces for tabs
        head + "-5\t3\t12\t2026-12-07T11:10:55\tanna\n",
        head + "4294967296\t3\t12\t2026-12-07T11:10:55\tanna\n",  // over 32 bits
        head + "500\t0\t12\t2026-12-07T11:10:55\tanna\n",   // level 0
        head + "500\t21\t12\t2026-12-07T11:10:55\tanna\n",  // past the top level
        head + "500\t3\t12\t2026-12-07 11:10:55\tanna\n",
        head + "500\t3\t12\t2026-12-07T11:10\tanna\n",
        head + "500\t3\t12\t2026-12-07T11:10:55\tan\x01na\n",
        head + "400\t3\t12\t2026-12-07T11:10:55\tanna\n" + good,  // out of order
        eleven,
    };
    for (const std::string& text : damaged) {
        EXPECT_FALSE(ParseScoreTable(text).has_value()) << text;
        EXPECT_FALSE(IsLaterScoreFormat(text)) << text;
    }
    EXPECT_TRUE(ParseScoreTable(head + "# a note\n" + good + good).has_value());
}

TEST(ScoreTableTest, WhatAnEditorLeavesInATableItDidNotChangeStillReads) {
    const ScoreTable games{Game(900), Game(500, "anna maria ")};
    const std::string text = FormatScoreTable(games);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& edited : {crlf, text + "\n", text + "\n\n", crlf + "\r\n", text + " \t\n  "}) {
        const std::optional<ScoreTable> back = ParseScoreTable(edited);
        ASSERT_TRUE(back.has_value()) << edited;
        EXPECT_EQ(*back, games);  // the login's own trailing blank kept
    }
}

TEST(ScoreTableTest, OnlyAFirstLineNamingALaterVersionMarksALaterTable) {
    const std::string good = "500\t3\t12\t2026-12-07T11:10:55\tanna\n";
    for (const char* later : {"zumbrik-scores 2\n", "zumbrik-scores 2\r\n", "zumbrik-scores 17\nnew things\n",
                              "zumbrik-scores 99999999999\n"}) {
        EXPECT_TRUE(IsLaterScoreFormat(later + good)) << later;
        EXPECT_FALSE(ParseScoreTable(later + good).has_value()) << later;
    }
    for (const char* notLater : {"zumbrik-scores 1\n", "zumbrik-scores 0\n", "zumbrik-scores 02\n",
                                  "zumbrik-scores 2b\n", "zumbrik-scores -2\n", "zumbrik-scores \n",
                                  "zumbrik-score 2\n", "Zumbrik-scores 2\n"})
        EXPECT_FALSE(IsLaterScoreFormat(notLater + good)) << notLater;
}

}  // namespace
}  // namespace zumbrik
