#include "extract/text_between.h"

#include <gtest/gtest.h>

#include "textops/gbk.h"

namespace morvessa {
namespace {

struct BetweenCase {
  const char* name;
  Text source;
  Text left;
  Text right;
  int start;
  bool caseSensitive;
  Text expected;
};

void PrintTo(const BetweenCase& c, std::ostream* os) { *os << c.name; }

class TextBetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsTheTextBetweenTheMarkers) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.source, c.left, c.right, c.start, c.caseSensitive), c.expected);
}

const Text kAgentHeaders = "Host: x\r\nuser-agent: Morvessa/1\r\nAccept: */*\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    testing::Values(
        BetweenCase{"Between", "x[yz]w", "[", "]", 0, false, "yz"},
        BetweenCase{"MarkersTouch", "x[]w", "[", "]", 0, false, ""},
        BetweenCase{"LeftMissing", "xyz]w", "[", "]", 0, false, ""},
        BetweenCase{"RightMissing", "x[yzw", "[", "]", 0, false, ""},
        BetweenCase{"RightOnlyBeforeLeft", "]x[yz", "[", "]", 0, false, ""},
        BetweenCase{"RightSearchedAfterLeftNotFromStart", "a=1;b=2;", "b=", ";", 0, false, "2"},
        BetweenCase{"FirstOccurrences", "[a][b]", "[", "]", 0, false, "a"},
        BetweenCase{"IgnoresAsciiCaseByDefault", kAgentHeaders, "User-Agent: ", "\r\n", 0, false, "Morvessa/1"},
        BetweenCase{"CaseSensitiveOnRequest", kAgentHeaders, "User-Agent: ", "\r\n", 0, true, ""},
        BetweenCase{"QuotePlaceholderInMarkers", "<a href=\"u\">", Gbk("href=#引号"), Gbk("#引号"), 0, false, "u"},
        BetweenCase{"PlaceholderInSourceIsNotExpanded", Gbk("x#引号y#引号"), Gbk("x#引号"), Gbk("#引号"), 0, false,
                    ""},
        BetweenCase{"StartZeroAndNegativeSearchFromFirstByte", "[a][b]", "[", "]", -7, false, "a"},
        BetweenCase{"StartSkipsEarlierLeftMarker", "[a][b]", "[", "]", 2, false, "b"},
        BetweenCase{"StartBeyondLastByte", "[a]", "[", "]", 4, false, ""},
        BetweenCase{"EmptyLeftTakesTextFromTheBeginning", "abc;def;", "", ";", 5, false, "abc"},
        BetweenCase{"EmptyLeftWithStartBeyondEnd", "abc;", "", ";", 9, false, ""},
        BetweenCase{"EmptyRightGivesEmptyText", "[abc]", "[", "", 0, false, ""},
        // A1 3D is read as one double-byte character, so its "=" is not a
        // marker; the search goes on to the next "=".
        BetweenCase{"MarkersStartOnCharacters", Gbk("啊") + "\xA1=x=" + Gbk("中文") + ";", "=", ";", 0, false,
                    Gbk("中文")},
        BetweenCase{"DoubleByteMarkersCompareExactly", Gbk("【日期】2026年【完】"), Gbk("【日期】"), Gbk("【"), 0,
                    false, Gbk("2026年")}),
    [](const testing::TestParamInfo<BetweenCase>& info) { return std::string(info.param.name); });

TEST(ExpandQuotesTest, ReplacesEveryPlaceholderAndNothingElse) {
  EXPECT_EQ(QuotePlaceholder(), "\x23\xD2\xFD\xBA\xC5");
  EXPECT_EQ(ExpandQuotes(Gbk("a=#引号b#引号#引号")), "a=\"b\"\"");
  EXPECT_EQ(ExpandQuotes(Gbk("#引")), Gbk("#引"));
}

}  // namespace
}  // namespace morvessa
