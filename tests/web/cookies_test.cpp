#include "web/cookies.h"

#include <gtest/gtest.h>

namespace morvessa {
namespace {

const Text kFullWidthSpace = "\xA1\xA1";

TEST(MergeCookiesTest, MergesByNameAndRewritesBothTexts) {
  const struct {
    Text cookies;
    Text responseCookies;
    Text mergedCookies;
    Text cleanedResponse;
  } cases[] = {
      {"sid=1; lang=en; theme=dark", "sid=2; theme=deleted", "sid=2; lang=en", "sid=2;theme=deleted"},
      {"", "", "", ""},
      {"", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
      {"a=1; a=2", "", "a=1", ""},                  // one old item per name, the first
      {"a=1", "a=2; a=3", "a=2; a=3", "a=2;a=3"},   // the answer's items are not reduced by name
      {"", "a=1; a=1", "a=1", "a=1;a=1"},           // exact repeats go
      {"x=deleted", "", "", ""},                    // deletion markers never stay
      {"x=1", "x=deleted", "", "x=deleted"},        // and hide the old item of their name
      {"ID=1", "id=2", "id=2; ID=1", "id=2"},       // names are case-sensitive
      {"q=a b" + kFullWidthSpace + "c", "", "q=abc", ""},
      {"", "; b=2", "; b=2", ";b=2"},               // an empty item stays, once
      {"a=1;", "", "a=1", ""},
      {"a=1;;b=2", "", "a=1; ; b=2", ""},           // empty old item: the empty name, taken once
      {"noequals; k=v", "noequals=1", "noequals=1; k=v", "noequals=1"},
  };
  for (const auto& c : cases) {
    Text cookies = c.cookies;
    Text responseCookies = c.responseCookies;
    const Text result = MergeCookies(cookies, responseCookies);
    EXPECT_EQ(cookies, c.mergedCookies) << c.cookies << " + " << c.responseCookies;
    EXPECT_EQ(result, c.mergedCookies) << c.cookies << " + " << c.responseCookies;
    EXPECT_EQ(responseCookies, c.cleanedResponse) << c.cookies << " + " << c.responseCookies;
  }
}

TEST(CookieNameTest, TextBeforeTheFirstEqualsTrimmed) {
  EXPECT_EQ(CookieName("sid=1"), "sid");
  EXPECT_EQ(CookieName(" sid =a=b"), "sid");
  EXPECT_EQ(CookieName(kFullWidthSpace + "flag "), "flag");
  EXPECT_EQ(CookieName("=v"), "");
  EXPECT_EQ(CookieName(""), "");
}

TEST(CookieItemsTest, NameSearchIndexAndDistinctItems) {
  const TextArray items({"a=1", " b =2", "c"});
  EXPECT_TRUE(HasCookieName(items, "b"));
  EXPECT_TRUE(HasCookieName(items, "c"));
  EXPECT_FALSE(HasCookieName(items, "A"));
  EXPECT_FALSE(HasCookieName(TextArray(), ""));

  EXPECT_EQ(ItemIndex(items, "c"), 3);
  EXPECT_EQ(ItemIndex(TextArray({"x", "y", "x"}), "x"), 1);
  EXPECT_EQ(ItemIndex(items, "b=2"), -1);  // exact comparison
  EXPECT_EQ(ItemIndex(TextArray(), ""), -1);

  EXPECT_EQ(DistinctItems("a; b; a; c; b", "; "), "a; b; c");
  EXPECT_EQ(DistinctItems("A, a, A", ", "), "A, a");
  EXPECT_EQ(DistinctItems("", "; "), "");
  EXPECT_EQ(DistinctItems("a;;a;", ";"), "a;");  // the empty item counts as one item
}

}  // namespace
}  // namespace morvessa
