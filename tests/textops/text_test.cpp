#include "textops/text.h"

#include <gtest/gtest.h>

#include "textops/gbk.h"

namespace morvessa {
namespace {

struct FindCase {
  const char* name;
  Text text;
  Text sought;
  int start;
  bool ignoreCase;
  int expected;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class FindTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTest, FindsFirstOccurrenceAtCharacterBoundary) {
  const FindCase& c = GetParam();
  EXPECT_EQ(Find(c.text, c.sought, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTest,
    testing::Values(
        FindCase{"FromZero", "xxab", "ab", 0, false, 3}, FindCase{"FromOne", "xxab", "ab", 1, false, 3},
        FindCase{"FromNegative", "xxab", "ab", -5, false, 3}, FindCase{"FromBeyond", "xxab", "ab", 5, false, -1},
        FindCase{"IgnoreCase", "xxab", "AB", 1, true, 3}, FindCase{"CaseMatters", "xxab", "AB", 1, false, -1},
        FindCase{"FromStart", "abab", "ab", 2, false, 3},
        FindCase{"EmptySoughtGivesOne", "abc", "", 3, false, 1},
        FindCase{"EmptySoughtPastEnd", "abc", "", 4, false, -1},
        FindCase{"EmptyText", "", "", 1, false, -1},
        // "啊" is B0 A1: searching the trail byte A1 followed by "x" must not
        // match inside the character.
        FindCase{"NotInsideDoubleByte", Gbk("啊") + "x\xA1x", "\xA1x", 1, false, 4},
        FindCase{"DoubleByteNeverFolded", Gbk("啊") + "x\xA1x", "\xA1X", 1, true, -1},
        // Trail bytes in the ASCII letter range are never case-folded: "丂"
        // is 81 40, "亐" is 81 61 ('a'), "亖" is 81 41 ('A').
        FindCase{"TrailByteNotFolded", "\x81\x61", "\x81\x41", 1, true, -1},
        FindCase{"DoubleByteFound", "ab" + Gbk("。") + "c", Gbk("。"), 1, false, 3},
        FindCase{"LoneLeadAtEnd", "ab\xB0", "\xB0", 1, false, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindLastTest, LastOccurrenceInWholeText) {
  EXPECT_EQ(FindLast("abcabc", "bc"), 5);
  EXPECT_EQ(FindLast("abcabc", "BC", true), 5);
  EXPECT_EQ(FindLast("abc", "x"), -1);
  EXPECT_EQ(FindLast("", "x"), -1);
  EXPECT_EQ(FindLast("\xB0\x61\x61", "a"), 3);  // the first "a" is a trail byte
}

TEST(PartsTest, LeftRightMidFollowTheirBounds) {
  EXPECT_EQ(Left("abc", 2), "ab");
  EXPECT_EQ(Left("abc", 9), "abc");
  EXPECT_EQ(Left("abc", 0), "");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Left(Gbk("啊"), 1), "\xB0");  // may cut a character
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_EQ(Right("abc", 0), "");
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
  EXPECT_EQ(Mid("abcdef", 0, 2), "");
  EXPECT_EQ(Mid("abcdef", 7, 2), "");
  EXPECT_EQ(Mid("abcdef", 2, 0), "");
}

TEST(CaseAndSpacesTest, FoldingAndTrimmingTouchOnlyTheirBytes) {
  EXPECT_EQ(ToLowerAscii("AbC" + Gbk("中") + "\x81\x41Z"), "abc" + Gbk("中") + "\x81\x41z");
  EXPECT_EQ(ToLowerAscii("\xC4"), "\xC4");  // no folding outside ASCII
  const Text fullSpace = Gbk("　");
  ASSERT_EQ(fullSpace, "\xA1\xA1");
  EXPECT_EQ(Trim("\tx" + fullSpace), "\tx");
  EXPECT_EQ(Trim("  " + fullSpace + "a b" + fullSpace + " "), "a b");
  EXPECT_EQ(Trim(" \r\n "), "\r\n");
  EXPECT_EQ(Trim(fullSpace + " "), "");
  EXPECT_EQ(Trim(""), "");
  // "\xB0\xA1" is "啊", a character whose trail byte is A1: not a space.
  EXPECT_EQ(Trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
  EXPECT_EQ(RemoveSpaces("q=a b" + fullSpace + "c"), "q=abc");
  EXPECT_EQ(RemoveSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
}

TEST(ReplaceTest, ReplacesNonOverlappingCharacterAligned) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("a#b#", "#", "\""), "a\"b\"");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("ABC", "b", "x"), "ABC");  // exact bytes
  EXPECT_EQ(ReplaceAll("\xB0\x61" "a", "a", "x"), "\xB0\x61x");
}

TEST(SplitTest, EmptyPiecesFollowTheRules) {
  const std::vector<std::pair<Text, std::vector<Text>>> cases = {
      {"a;;b;", {"a", "", "b"}}, {"", {}},          {";a", {"", "a"}}, {"a", {"a"}},
      {";", {""}},               {"a;;", {"a", ""}}, {"a; b", {"a", " b"}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Split(text, ";").Items(), expected) << text;
  }
  EXPECT_EQ(Split("a; b; c", "; ").Items(), (std::vector<Text>{"a", "b", "c"}));
  EXPECT_EQ(Split("\xB0;x;", ";").Items(), (std::vector<Text>{"\xB0;x"}));  // ";" is a trail byte there
}

TEST(TextArrayTest, IsOneBased) {
  TextArray items(std::vector<Text>{"a", "b"});
  EXPECT_EQ(items.Count(), 2);
  EXPECT_EQ(items.At(1), "a");
  EXPECT_EQ(items.At(2), "b");
  EXPECT_EQ(items.At(0), "");
  EXPECT_EQ(items.At(3), "");
}

TEST(NumberTest, TextToIntAndBack) {
  const std::vector<std::pair<Text, int>> cases = {
      {"8080", 8080},       {"  -12x", -12},  {"+7", 7},           {"abc", 0},
      {"", 0},              {Gbk("８０"), 80}, {Gbk("　－５"), -5}, {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInt(text), expected) << text;
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-42), "-42");
  EXPECT_EQ(IntToText(100000), "100000");
}

TEST(BytesTest, BlanksConversionsAndByteSearch) {
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(-1), "");
  EXPECT_EQ(BlankBytes(2), (ByteBuffer{0, 0}));
  EXPECT_EQ(BytesToText(ByteBuffer{0x61, 0x00, 0x62}), "a");
  EXPECT_EQ(BytesToText(ByteBuffer{}), "");
  EXPECT_EQ(TextToBytes("ab"), (ByteBuffer{0x61, 0x62}));
  EXPECT_EQ(LeftBytes(ByteBuffer{1, 2, 3}, 2), (ByteBuffer{1, 2}));
  EXPECT_EQ(LeftBytes(ByteBuffer{1, 2, 3}, 5), (ByteBuffer{1, 2, 3}));
  const ByteBuffer body = TextToBytes(Text("x\0utf-8", 7));
  EXPECT_EQ(FindBytes(body, "utf-8"), 3);
  EXPECT_EQ(FindBytes(body, "UTF-8"), -1);
  EXPECT_EQ(FindBytes(body, ""), -1);
  EXPECT_EQ(FindBytes(body, "x", 2), -1);
}

}  // namespace
}  // namespace morvessa
