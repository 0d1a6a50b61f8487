#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "textops/gbk.h"
#include "web/charset.h"

namespace morvessa {
namespace {

ByteBuffer Bytes(std::string_view s) { return ByteBuffer(s.begin(), s.end()); }

// Byte-exact conversions of UTF-8 bodies into code page 936.
TEST(Utf8ToGbkTest, ConvertsByteExact) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string gbk;
  };
  const std::vector<Case> cases = {
      {"empty", "", ""},
      {"ascii", "abc", "abc"},
      {"full stop", "\xE3\x80\x82", "\xA1\xA3"},
      {"full-width space", "\xE3\x80\x80", "\xA1\xA1"},
      {"euro sign is byte 80", "\xE2\x82\xAC", "\x80"},
      {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},  // 中文
      {"ill-formed sequence", "a\xC3(b", "a?(b"},
      {"lone continuation", "\x80", "?"},
      {"truncated at end", "ab\xE3\x80", "ab?"},
      {"missing from 936", "\xF0\x9F\x98\x80", "?"},  // an emoji
      {"decomposed e acute composed", "e\xCC\x81", "\xA8\xA6"},  // é is A8 A6
      {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) {
    const ByteBuffer out = Utf8ToGbk(Bytes(c.utf8));
    EXPECT_EQ(std::string(out.begin(), out.end()), c.gbk) << c.name;
  }
}

TEST(Utf8ToWideTest, GivesLittleEndianUnitsWithoutTerminator) {
  EXPECT_TRUE(Utf8ToWide({}).empty());
  EXPECT_EQ(Utf8ToWide(Bytes("A\xE2\x82\xAC")), (ByteBuffer{0x41, 0x00, 0xAC, 0x20}));
  EXPECT_EQ(Utf8ToWide(Bytes("\xF0\x9F\x98\x80")), (ByteBuffer{0x3D, 0xD8, 0x00, 0xDE}));  // surrogate pair
  EXPECT_EQ(Utf8ToWide(Bytes("\xFF")), (ByteBuffer{0xFD, 0xFF}));
}

TEST(GbkToUtf16Test, DecodesAsTheCodePageDefines) {
  using platform::GbkToUtf16;
  EXPECT_EQ(GbkToUtf16(""), u"");
  EXPECT_EQ(GbkToUtf16("a\x80" "b"), u"a\u20ACb");
  EXPECT_EQ(GbkToUtf16("\xA1\xA3\xC9\xF1"), u"\u3002\u795E");
  EXPECT_EQ(GbkToUtf16("x\xB0"), u"x\uFFFD");          // lone lead byte at the end
  EXPECT_EQ(GbkToUtf16("\x81\x30z"), u"\uFFFD0z");      // the invalid trail byte stays a character
  EXPECT_EQ(GbkToUtf16(std::string("\0a", 2)), std::u16string(u"\0a", 2));
}

TEST(GbkToUtf16Test, AgreesWithUtf16ToGbkOnEveryDoubleByteCharacter) {
  // Every pair that decodes to one character must encode back to itself.
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string wide = platform::GbkToUtf16(pair);
      if (wide.size() != 1 || wide[0] == u'\uFFFD') continue;
      ASSERT_EQ(platform::Utf16ToGbk(wide), pair) << std::hex << lead << " " << trail;
      ++checked;
    }
  }
  EXPECT_GT(checked, 21000);
}

TEST(GbkLiteralTest, WritesGbkConstantsFromUtf8Source) {
  EXPECT_EQ(Gbk("错误"), "\xB4\xED\xCE\xF3");
  EXPECT_EQ(Gbk("#引号"), "#\xD2\xFD\xBA\xC5");
  EXPECT_EQ(GbkToUtf8(Gbk("查询失败")), "查询失败");
}

TEST(WindowsShapedCallsTest, AskSizeFirstThenConvert) {
  using namespace platform;
  EXPECT_EQ(MultiByteToWide(CodePage::Utf8, "ab", nullptr, 0), 2);
  char16_t small[1];
  EXPECT_EQ(MultiByteToWide(CodePage::Utf8, "ab", small, 1), 0);  // too small: nothing
  EXPECT_EQ(WideToMultiByte(CodePage::Gbk, false, u"\u3002", nullptr, 0), 2);
  EXPECT_EQ(WideToMultiByte(CodePage::Gbk, true, u"e\u0301", nullptr, 0), 2);
  EXPECT_EQ(WideToMultiByte(CodePage::Gbk, false, u"e\u0301", nullptr, 0), 2);  // "e" and "?"
}

}  // namespace
}  // namespace morvessa
