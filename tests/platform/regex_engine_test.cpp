#include "platform/regex_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace morvessa::platform {
namespace {

constexpr bool kIgnoreCase = true;
constexpr bool kMultiline = true;
constexpr bool kGlobal = true;

class RegexEngineTest : public testing::Test {
 protected:
  std::shared_ptr<RegexEngine> Engine(std::u16string pattern, bool ignoreCase, bool multiline, bool global) {
    auto engine = RegexEngine::Create();
    engine->SetIgnoreCase(ignoreCase);
    engine->SetMultiline(multiline);
    engine->SetGlobal(global);
    engine->SetPattern(std::move(pattern));
    return engine;
  }

  // The matches as "value@firstIndex" joined by "|", or "FAIL" when Execute
  // gave no collection.
  std::u16string Matches(std::u16string pattern, std::u16string subject, bool ignoreCase = false,
                         bool multiline = false, bool global = kGlobal) {
    const auto matches = Engine(std::move(pattern), ignoreCase, multiline, global)->Execute(std::move(subject));
    if (!matches) return u"FAIL";
    std::u16string out;
    for (int i = 0; i < matches->Count(); ++i) {
      const auto match = matches->Item(i);
      if (i > 0) out += u'|';
      out += match->Value() + u'@';
      for (const char c : std::to_string(match->FirstIndex())) out += static_cast<char16_t>(c);
    }
    return out;
  }

  RegexThreadInit init_;
};

struct DialectCase {
  const char* name;
  std::u16string pattern;
  std::u16string subject;
  bool ignoreCase;
  bool multiline;
  std::u16string expected;
};

void PrintTo(const DialectCase& c, std::ostream* os) { *os << c.name; }

class RegexDialectTest : public RegexEngineTest, public testing::WithParamInterface<DialectCase> {};

TEST_P(RegexDialectTest, MatchesAsTheDialectDoes) {
  const DialectCase& c = GetParam();
  EXPECT_EQ(Matches(c.pattern, c.subject, c.ignoreCase, c.multiline), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dialect, RegexDialectTest,
    testing::Values(
        DialectCase{"DotStopsAtLf", u".+", u"ab\ncd", false, false, u"ab@0|cd@3"},
        DialectCase{"DotMatchesCr", u"a.b", u"a\rb", false, false, u"a\rb@0"},
        DialectCase{"CaretMultilineAfterLfAndCr", u"^\\w", u"a\nb\rc\r\nd", false, kMultiline,
                    u"a@0|b@2|c@4|d@7"},
        DialectCase{"DollarMultilineBeforeLfAndCr", u"\\w$", u"a\nb\rc\r\nd", false, kMultiline,
                    u"a@0|b@2|c@4|d@7"},
        DialectCase{"CaretMultilineAfterFinalLf", u"^", u"a\n", false, kMultiline, u"@0|@2"},
        DialectCase{"CaretWithoutMultilineOnlyAtStart", u"^\\w", u"a\nb", false, false, u"a@0"},
        DialectCase{"DollarWithoutMultilineNotBeforeFinalLf", u"a$", u"a\n", false, false, u""},
        DialectCase{"EscapedAndClassedCaretDollarStayLiteral", u"\\$|[$^]", u"$^", false, kMultiline,
                    u"$@0|^@1"},
        DialectCase{"DigitIsAscii", u"\\d+", u"12\uFF134", false, false, u"12@0|4@3"},
        DialectCase{"WordIsAscii", u"\\w+", u"ab\u4E2Dc_\u00E9", false, false, u"ab@0|c_@3"},
        DialectCase{"BoundaryUsesAsciiWord", u"\\bc", u"\u4E2Dc", false, false, u"c@1"},
        DialectCase{"SpaceIsAscii", u"\\s", u"\u3000 ", false, false, u" @1"},
        DialectCase{"HexAndUnicodeEscapes", u"\\x41\\u4E2D", u"A\u4E2D", false, false, u"A\u4E2D@0"},
        DialectCase{"ShortHexEscapeIsLetter", u"\\xZ", u"xZ", false, false, u"xZ@0"},
        DialectCase{"EscapedNonAsciiIsLiteral", u"\\\u3002", u"a\u3002", false, false, u"\u3002@1"},
        DialectCase{"VerticalTabEscapeIsOnlyVt", u"\\v", u"\n\v", false, false, u"\v@1"},
        DialectCase{"LazyQuantifiers", u"<(.*?)>", u"<a><b>", false, false, u"<a>@0|<b>@3"},
        DialectCase{"Lookahead", u"a(?=b)|c(?!d)", u"abcdce", false, false, u"a@0|c@4"},
        DialectCase{"UnsetBackReferenceMatchesEmpty", u"(a)?b\\1", u"b", false, false, u"b@0"},
        DialectCase{"EmptyClassMatchesNothing", u"a[]", u"a", false, false, u""},
        DialectCase{"NegatedEmptyClassMatchesAnything", u"[^]", u"\n", false, false, u"\n@0"},
        DialectCase{"IgnoreCaseAscii", u"<TD>", u"<td>", kIgnoreCase, false, u"<td>@0"},
        DialectCase{"IgnoreCaseCyrillicAndFullWidth", u"\u042F\uFF21", u"\u044F\uFF41", kIgnoreCase, false,
                    u"\u044F\uFF41@0"},
        DialectCase{"CaseMattersWithoutIgnoreCase", u"<TD>", u"<td>", false, false, u""},
        DialectCase{"EmptyMatchesMoveOnOneCharacter", u"x*", u"ab", false, false, u"@0|@1|@2"},
        DialectCase{"EmptyMatchAfterMatch", u"a*", u"aab", false, false, u"aa@0|@2|@3"},
        DialectCase{"SurrogatePairIsOneCharacter", u".", u"\U0001D11E", false, false, u"\U0001D11E@0"},
        DialectCase{"UnbalancedParenthesisFails", u"(a", u"a", false, false, u"FAIL"},
        DialectCase{"LoneSurrogateSubjectFails", u"a", u"a\xD800", false, false, u"FAIL"}),
    [](const testing::TestParamInfo<DialectCase>& info) { return std::string(info.param.name); });

TEST_F(RegexEngineTest, GlobalOffGivesTheFirstMatchOnly) {
  EXPECT_EQ(Matches(u"a", u"baaa", false, false, /*global=*/false), u"a@1");
}

TEST_F(RegexEngineTest, CatastrophicBacktrackingFailsInsteadOfHanging) {
  const std::u16string subject = std::u16string(40, u'a') + u'c';
  EXPECT_EQ(Matches(u"(a+)+$", subject), u"FAIL");
  const auto engine = Engine(u"(a+)+$", false, false, kGlobal);
  EXPECT_FALSE(engine->Replace(subject, u"x").has_value());
  EXPECT_FALSE(engine->Test(subject).has_value());
}

TEST_F(RegexEngineTest, UnusablePatternIsReportedWhenRunNotWhenWritten) {
  const auto engine = Engine(u"(", false, false, kGlobal);
  EXPECT_EQ(engine->Pattern(), u"(");
  EXPECT_EQ(engine->Execute(u"("), nullptr);
  EXPECT_FALSE(engine->Replace(u"(", u"x").has_value());
  EXPECT_FALSE(engine->Test(u"(").has_value());
  engine->SetPattern(u"\\(");
  EXPECT_EQ(engine->Test(u"("), std::optional<bool>(true));
  EXPECT_EQ(engine->Test(std::u16string_view()), std::optional<bool>(false));
}

TEST_F(RegexEngineTest, PropertyWritesByNameAndNoSingleline) {
  const auto engine = RegexEngine::Create();
  EXPECT_TRUE(engine->SetProperty("IgnoreCase", true));
  EXPECT_TRUE(engine->SetProperty("multiline", true));
  EXPECT_TRUE(engine->SetProperty("GLOBAL", true));
  EXPECT_TRUE(engine->IgnoreCase());
  EXPECT_TRUE(engine->Multiline());
  EXPECT_TRUE(engine->Global());
  EXPECT_FALSE(engine->SetProperty("Singleline", true));
  EXPECT_FALSE(engine->SetProperty("Pattern", true));
  // Nothing changed: "." still stops at LF.
  engine->SetPattern(u"a.b");
  EXPECT_EQ(engine->Test(u"a\nb"), std::optional<bool>(false));
}

TEST_F(RegexEngineTest, ItemsOutOfRangeAndUnmatchedGroupsAreEmptyValues) {
  const auto matches = Engine(u"(a)|(b)", false, false, kGlobal)->Execute(u"ab");
  ASSERT_NE(matches, nullptr);
  ASSERT_EQ(matches->Count(), 2);
  EXPECT_FALSE(matches->Item(-1).has_value());
  EXPECT_FALSE(matches->Item(2).has_value());

  const RegexSubMatches groups = matches->Item(0)->SubMatches();
  EXPECT_EQ(groups.Count(), 2);
  EXPECT_EQ(groups.Item(0), std::optional<GroupValue>(GroupValue(u"a")));
  EXPECT_EQ(groups.Item(1), std::optional<GroupValue>(GroupValue()));  // took no part: an empty value
  EXPECT_FALSE(groups.Item(2).has_value());                             // no such group: the call fails
  EXPECT_FALSE(groups.Item(-1).has_value());
  EXPECT_EQ(groups.FirstIndex(0), std::optional<std::size_t>(0));
  EXPECT_FALSE(groups.FirstIndex(1).has_value());
  EXPECT_EQ(matches->Item(1)->SubMatches().FirstIndex(1), std::optional<std::size_t>(1));
}

TEST_F(RegexEngineTest, CollectionOutlivesEngineAndIsNotChangedByLaterRuns) {
  auto engine = Engine(u"\\d", false, false, kGlobal);
  const auto first = engine->Execute(u"1a2");
  engine->SetPattern(u"a");
  const auto second = engine->Execute(u"aaa");
  engine.reset();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->Count(), 2);
  EXPECT_EQ(first->Item(1)->Value(), u"2");
  EXPECT_EQ(second->Count(), 3);
}

struct ReplaceCase {
  const char* name;
  std::u16string pattern;
  std::u16string subject;
  std::u16string replacement;
  bool global;
  std::u16string expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class RegexReplaceTest : public RegexEngineTest, public testing::WithParamInterface<ReplaceCase> {};

TEST_P(RegexReplaceTest, ExpandsReplacementTokens) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(Engine(c.pattern, false, false, c.global)->Replace(c.subject, c.replacement),
            std::optional<std::u16string>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, RegexReplaceTest,
    testing::Values(
        ReplaceCase{"Groups", u"(\\w)(\\d)", u"a1 b2", u"$2$1", kGlobal, u"1a 2b"},
        ReplaceCase{"UnmatchedGroupIsEmpty", u"(a)(b)?", u"ac", u"[$1|$2]", kGlobal, u"[a|]c"},
        ReplaceCase{"WholeMatchBeforeAfterDollar", u"b", u"abc", u"<$&|$`|$'|$$>", kGlobal, u"a<b|a|c|$>c"},
        ReplaceCase{"TwoDigitGroupWhenItExists", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", u"abcdefghij", u"$10$1",
                    kGlobal, u"ja"},
        ReplaceCase{"OneDigitGroupThenDigit", u"(a)", u"a", u"$10", kGlobal, u"a0"},
        ReplaceCase{"MissingGroupsAndStrayDollarsStayLiteral", u"(a)", u"a", u"$0$2$x$", kGlobal, u"$0$2$x$"},
        ReplaceCase{"GlobalOffReplacesFirstOnly", u"a", u"aaa", u"b", false, u"baa"},
        ReplaceCase{"EmptyMatches", u"x*", u"ab", u"-", kGlobal, u"-a-b-"},
        ReplaceCase{"NoMatchKeepsSubject", u"z", u"ab", u"-", kGlobal, u"ab"}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(RegexThreadInitTest, EngineNeedsAnInitialisedThreadAndCountIsPerThread) {
  const int before = RegexThreadInitCount();
  EXPECT_EQ(before, 0);
  EXPECT_EQ(RegexEngine::Create(), nullptr);
  {
    RegexThreadInit outer;
    RegexThreadInit inner;
    EXPECT_EQ(RegexThreadInitCount(), 2);
    EXPECT_NE(RegexEngine::Create(), nullptr);
    int otherThreadCount = -1;
    std::thread([&] { otherThreadCount = RegexThreadInitCount(); }).join();
    EXPECT_EQ(otherThreadCount, 0);
  }
  EXPECT_EQ(RegexThreadInitCount(), 0);
  UninitializeRegexThread();  // an extra call does not go below zero
  EXPECT_EQ(RegexThreadInitCount(), 0);
}

}  // namespace
}  // namespace morvessa::platform
