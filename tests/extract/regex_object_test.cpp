#include "extract/regex_object.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/regex_engine.h"
#include "textops/gbk.h"

namespace morvessa {
namespace {

// The query's progress pattern, written out here as the server's page needs
// it: the date cell, the text cell's opening, a line of eight blanks, and
// the text line up to and including the first "。".
const Text& QueryProgressPattern() {
  static const Text kPattern = Gbk(
      "        <td width=\"20%\" align=\"center\">(.*?)</td>\r\n        <td>\r\n        \r\n (.*?\\。)<*?");
  return kPattern;
}

Text Entry(const Text& date, const Text& text) {
  return "        <td width=\"20%\" align=\"center\">" + date + "</td>\r\n        <td>\r\n        \r\n " + text +
         "</td>\r\n";
}

Text UpperCaseEntry(const Text& date, const Text& text) {
  return "        <TD WIDTH=\"20%\" ALIGN=\"CENTER\">" + date + "</TD>\r\n        <TD>\r\n        \r\n " + text +
         "</TD>\r\n";
}

struct Row {
  Text date;
  Text text;
  bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* os) { *os << GbkToUtf8(row.date) << " / " << GbkToUtf8(row.text); }

// What the query does with the object: groups 1 and 2 of every match.
std::vector<Row> ReadRows(const RegexObject& regex) {
  std::vector<Row> rows;
  int scratch = 0;
  for (int n = 1; n <= regex.MatchCount(); ++n) {
    rows.push_back({regex.SubmatchText(n, 1, scratch), regex.SubmatchText(n, 2, scratch)});
  }
  return rows;
}

TEST(RegexObjectProgressTest, FindsEveryEntryOfAPageInAnyLetterCase) {
  const Text page = Gbk("<html>\r\n<table>\r\n") + Entry("2026-01-05", Gbk("已收到您的电脑。")) +
                    UpperCaseEntry("2026-01-07", Gbk("维修完成。已发出。")) +
                    Entry("2026-01-08", Gbk("没有句号的一行")) +
                    Gbk("        <td width=\"20%\" align=\"center\">2026-01-09\r\n</td>\r\n        <td>\r\n"
                        "        \r\n 日期单元格断行。</td>\r\n") +
                    Entry("2026-01-10", Gbk("已签收。")) + "</table>\r\n";
  ASSERT_EQ(QueryProgressPattern().size(), 87u);
  RegexObject regex;
  ASSERT_TRUE(regex.Create(QueryProgressPattern(), page, false, true, true, true));
  EXPECT_EQ(ReadRows(regex), (std::vector<Row>{{"2026-01-05", Gbk("已收到您的电脑。")},
                                               {"2026-01-07", Gbk("维修完成。")},
                                               {"2026-01-10", Gbk("已签收。")}}));
  EXPECT_EQ(regex.SubmatchCount(), 2);
}

TEST(RegexObjectProgressTest, BareLfLinesGiveNoEntry) {
  Text page = Entry("2026-01-05", Gbk("已收到。"));
  page = ReplaceAll(page, "\r\n", "\n");
  RegexObject regex;
  EXPECT_TRUE(regex.Create(QueryProgressPattern(), page, false, true, true, true));
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObjectTest, PatternWithoutMatchesStillGivesACollection) {
  RegexObject regex;
  EXPECT_TRUE(regex.Create("(z)(y)", "abc"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubmatchCount(), 0);
}

TEST(RegexObjectTest, FailedRunsGiveEmptyResultsAndKeepTheTarget) {
  // An unbalanced "(" is rejected when the engine runs it; a pattern that
  // backtracks without end is stopped by the engine's limits.
  for (const Text& pattern : {Text("(a"), Text("(a+)+$")}) {
    SCOPED_TRACE(pattern);
    RegexObject regex;
    ASSERT_TRUE(regex.Create("a", "a"));
    const Text target = Text(40, 'a') + "c";
    EXPECT_FALSE(regex.Create(pattern, target));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubmatchCount(), 0);
    int position = 99;
    EXPECT_EQ(regex.MatchText(1, position, true), "");
    EXPECT_EQ(position, -2);
    EXPECT_EQ(regex.Replace("x"), "");
    EXPECT_EQ(regex.GetPattern(), pattern);  // the pattern was written before the run failed
  }
}

TEST(RegexObjectTest, FreshObjectAnswersEmptyValues) {
  RegexObject regex;
  int position = 5;
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubmatchCount(), 0);
  EXPECT_EQ(regex.GetPattern(), "");
  EXPECT_EQ(regex.MatchText(1, position, true), "");
  EXPECT_EQ(position, -2);
  EXPECT_EQ(regex.SubmatchText(1, 1, position), "");
  EXPECT_EQ(regex.Replace("x"), "");
}

TEST(RegexObjectTest, QuoteExpansionOnlyOnRequest) {
  const Text pattern = Gbk("href=#引号(\\w+)#引号");
  const Text target = "<a href=\"home\">";
  RegexObject regex;
  ASSERT_TRUE(regex.Create(pattern, target, false, true, true, /*expandQuotes=*/true));
  EXPECT_EQ(regex.GetPattern(), "href=\"(\\w+)\"");
  int position = 0;
  EXPECT_EQ(regex.SubmatchText(1, 1, position), "home");
  ASSERT_TRUE(regex.Create(pattern, target));
  EXPECT_EQ(regex.GetPattern(), pattern);
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObjectTest, FlagsReachTheEngine) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("^AB", "ab\nab", /*caseSensitive=*/false, /*multiline=*/true, /*global=*/true));
  EXPECT_EQ(regex.MatchCount(), 2);
  ASSERT_TRUE(regex.Create("^AB", "ab\nab", /*caseSensitive=*/true));
  EXPECT_EQ(regex.MatchCount(), 0);
  ASSERT_TRUE(regex.Create("^ab", "ab\nab", false, /*multiline=*/false));
  EXPECT_EQ(regex.MatchCount(), 1);
  ASSERT_TRUE(regex.Create("ab", "ab\nab", false, true, /*global=*/false));
  EXPECT_EQ(regex.MatchCount(), 1);
  ASSERT_TRUE(regex.Create("a.b", "a\nb"));  // "Singleline" is not a property: "." stops at LF
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObjectTest, SecondCreateForgetsTheFirstRun) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("a", "aaa"));
  ASSERT_TRUE(regex.Create(Gbk("(\\d+)年"), Gbk("2025年到2026年")));
  EXPECT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.Replace(Gbk("[$1]")), Gbk("[2025]到[2026]"));
}

struct PositionCase {
  const char* name;
  Text pattern;
  Text target;
  int n;
  int k;  // 0: the whole match (MatchText)
  Text expectedText;
  int expectedPosition;
};

void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.name; }

class RegexObjectPositionTest : public testing::TestWithParam<PositionCase> {};

TEST_P(RegexObjectPositionTest, GivesTheByteOffsetInTheTarget) {
  const PositionCase& c = GetParam();
  RegexObject regex;
  regex.Create(c.pattern, c.target);
  int position = 1234;
  const Text text = c.k == 0 ? regex.MatchText(c.n, position, true) : regex.SubmatchText(c.n, c.k, position, true);
  EXPECT_EQ(text, c.expectedText);
  EXPECT_EQ(position, c.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexObjectPositionTest,
    testing::Values(
        PositionCase{"AfterDoubleByteCharacters", "a", Gbk("中文a"), 1, 0, "a", 4},
        // Match 2 starts at code unit 4 but byte 7; the same text at byte 4
        // belongs to match 1 and must not be reported.
        PositionCase{"RepeatedTextReportsItsOwnMatch", "a", Gbk("中中a中a"), 2, 0, "a", 7},
        PositionCase{"GroupsHaveTheirOwnPositions", "(a)(a)", Gbk("中aa"), 1, 2, "a", 3},
        PositionCase{"DoubleByteMatch", Gbk("文(.)"), Gbk("中文字"), 1, 1, Gbk("字"), 4},
        PositionCase{"EmptyMatchAtTheEnd", "$", "ab", 1, 0, "", 2},
        PositionCase{"UnmatchedGroup", "(a)?b", "xb", 1, 1, "", -2},
        PositionCase{"MatchZero", "a", "aa", 0, 0, "", -2},
        PositionCase{"MatchBeyondCount", "a", "aa", 3, 0, "", -2},
        PositionCase{"MatchMostNegative", "a", "aa", INT_MIN, 0, "", -2},
        PositionCase{"MatchLargest", "a", "aa", INT_MAX, 0, "", -2},
        PositionCase{"GroupZero", "(a)", "a", 1, -1, "", -2},
        PositionCase{"GroupBeyondCount", "(a)", "a", 1, 2, "", -2},
        PositionCase{"GroupMostNegative", "(a)", "a", 1, INT_MIN, "", -2},
        // 80 and FF are single-byte characters of the code page.
        PositionCase{"AfterSingleByteHighCharacters", "b", "\x80\xFF" "ab", 1, 0, "b", 3},
        // 81 30 is no character: the walk cannot count past it, and the text
        // is searched from the engine's index instead.
        PositionCase{"AfterBytesThatAreNotGbk", "b", "\x81" "0ab", 1, 0, "b", 3},
        // A lead byte without a valid trail byte reaches the engine as U+FFFD,
        // which comes back as "?": a text that does not stand in the target.
        PositionCase{"MatchOfBytesThatAreNotGbk", "^.", "\x81" "0", 1, 0, "?", -2}),
    [](const testing::TestParamInfo<PositionCase>& info) { return std::string(info.param.name); });

TEST(RegexObjectTest, PositionIsWrittenOnlyWhenWanted) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(b)", "abc"));
  int position = 42;
  EXPECT_EQ(regex.MatchText(1, position), "b");
  EXPECT_EQ(regex.SubmatchText(1, 1, position, false), "b");
  EXPECT_EQ(position, 42);
}

TEST(RegexObjectTest, PositionsOfManyMatchesReadInAnyOrder) {
  Text target;
  for (int i = 0; i < 50; ++i) target += Gbk("中x");
  RegexObject regex;
  ASSERT_TRUE(regex.Create("x", target));
  ASSERT_EQ(regex.MatchCount(), 50);
  int position = 0;
  for (const int n : {50, 1, 2, 30, 29}) {
    regex.MatchText(n, position, true);
    EXPECT_EQ(position, 3 * n - 1) << n;
  }
}

TEST(RegexObjectTest, ThreadInitialisationStaysBalancedOnEveryPath) {
  const int before = platform::RegexThreadInitCount();
  {
    RegexObject fresh;
    EXPECT_EQ(platform::RegexThreadInitCount(), before + 1);
    RegexObject failed;
    EXPECT_FALSE(failed.Create("(", "x"));
    RegexObject used;
    EXPECT_TRUE(used.Create("x", "x"));
    EXPECT_EQ(platform::RegexThreadInitCount(), before + 3);
  }
  EXPECT_EQ(platform::RegexThreadInitCount(), before);
}

}  // namespace
}  // namespace morvessa
