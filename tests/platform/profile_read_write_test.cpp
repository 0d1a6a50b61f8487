// The format rules of the profile layer, as tables of file contents: what a
// read gives, what a write leaves, and which writes it refuses.
#include <gtest/gtest.h>

#include <optional>

#include "platform/profile_file.h"
#include "support/temp_directory.h"
#include "textops/gbk.h"

namespace morvessa {
namespace {

using testing::ReadFileBytes;
using testing::TestDirectory;
using testing::WriteFileBytes;

constexpr std::size_t kLargeBuffer = 10240;

// --- reading ----------------------------------------------------------------

struct ReadCase {
  const char* name;
  Text content;
  Text section;
  Text key;
  std::size_t bufferSize;
  Text expected;  // "DEFAULT" (cut to the buffer) when the key is not found
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReadsValueAsTheBufferHoldsIt) {
  const ReadCase& c = GetParam();
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  WriteFileBytes(path, c.content);
  EXPECT_EQ(GbkToUtf8(ReadProfileString(path, c.section, c.key, "DEFAULT", c.bufferSize)), GbkToUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileReadTest,
    ::testing::Values(
        ReadCase{"Plain", "[config]\r\nkey=value\r\n", "config", "key", kLargeBuffer, "value"},
        ReadCase{"BlanksAroundNamesAndValue", " \t[ config ]\t\r\n  key \t= \tvalue with  inner blanks \t\r\n",
                 "config", "key", kLargeBuffer, "value with  inner blanks"},
        ReadCase{"BlanksAroundRequestedNames", "[config]\r\nkey=v\r\n", " config ", "\tkey ", kLargeBuffer, "v"},
        ReadCase{"DoubleQuotesKeepInnerBlanks", "[s]\r\nk= \" a b \" \r\n", "s", "k", kLargeBuffer, " a b "},
        ReadCase{"SingleQuotes", "[s]\r\nk='x'\r\n", "s", "k", kLargeBuffer, "x"},
        ReadCase{"MismatchedQuotesStay", "[s]\r\nk=\"x'\r\n", "s", "k", kLargeBuffer, "\"x'"},
        ReadCase{"OnlyOnePairOfQuotesGoes", "[s]\r\nk=\"\"x\"\"\r\n", "s", "k", kLargeBuffer, "\"x\""},
        ReadCase{"LoneQuoteStays", "[s]\r\nk=\"\r\n", "s", "k", kLargeBuffer, "\""},
        ReadCase{"EqualsSignInValue", "[s]\r\nk=a=b\r\n", "s", "k", kLargeBuffer, "a=b"},
        ReadCase{"EmptyValueIsNotMissing", "[s]\r\nk=\r\n", "s", "k", kLargeBuffer, ""},
        ReadCase{"CaseOfAsciiLettersIgnored", "[CoNfIg]\r\nLOT=v\r\n", "config", "lot", kLargeBuffer, "v"},
        ReadCase{"CaseIgnoredInMixedGbkName", Gbk("[config]\r\nlot编号=v\r\n"), "CONFIG", Gbk("LOT编号"),
                 kLargeBuffer, "v"},
        // 81 41 and 81 61 are two different characters whose second bytes
        // happen to be "A" and "a": folding must not make them equal.
        ReadCase{"SecondByteOfCharacterNotFolded", "[s]\r\n\x81\x41=v\r\n", "s", "\x81\x61", kLargeBuffer,
                 "DEFAULT"},
        // 81 5D ends in the byte of "]": the section name must not end there.
        ReadCase{"SectionNameWithBracketByteInCharacter", "[\x81\x5D]\r\nk=v\r\n", "\x81\x5D", "k", kLargeBuffer,
                 "v"},
        ReadCase{"KeyTwiceFirstCounts", "[s]\r\nk=first\r\nk=second\r\n", "s", "k", kLargeBuffer, "first"},
        ReadCase{"SectionTwiceReadsBothParts", "[s]\r\nx=1\r\n[t]\r\nk=t\r\n[S]\r\nk=second part\r\n", "s", "k",
                 kLargeBuffer, "second part"},
        ReadCase{"SectionTwiceFirstPartFirst", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", "s", "k", kLargeBuffer, "1"},
        ReadCase{"CommentLinesIgnored", "[s]\r\n;k=semicolon\r\n  # k=hash\r\n; [t]\r\nk=real\r\n", "s", "k",
                 kLargeBuffer, "real"},
        ReadCase{"CommentedSectionOpensNothing", "[s]\r\n;[t]\r\nk=in s\r\n", "t", "k", kLargeBuffer, "DEFAULT"},
        ReadCase{"LineWithoutEqualsIgnored", "[s]\r\nk\r\nk=v\r\n", "s", "k", kLargeBuffer, "v"},
        ReadCase{"KeyBeforeAnySectionBelongsToNone", "k=v\r\n[s]\r\n", "s", "k", kLargeBuffer, "DEFAULT"},
        ReadCase{"KeyOfAnotherSection", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", kLargeBuffer, "DEFAULT"},
        ReadCase{"MissingSection", "[s]\r\nk=v\r\n", "t", "k", kLargeBuffer, "DEFAULT"},
        ReadCase{"NoFinalLineEnd", "[s]\r\nk=v", "s", "k", kLargeBuffer, "v"},
        ReadCase{"LineFeedOnly", "[s]\nk=v\n", "s", "k", kLargeBuffer, "v"},
        ReadCase{"ValueCutToBufferLessOne", "[s]\r\nk=abcdef\r\n", "s", "k", 4, "abc"},
        ReadCase{"QuotesGoBeforeCutting", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", 4, "abc"},
        ReadCase{"ValueJustFits", "[s]\r\nk=abc\r\n", "s", "k", 4, "abc"},
        ReadCase{"BufferOfOneHoldsNothing", "[s]\r\nk=abc\r\n", "s", "k", 1, ""},
        ReadCase{"BufferOfZeroHoldsNothing", "[s]\r\nk=abc\r\n", "s", "k", 0, ""},
        ReadCase{"DefaultCutToo", "[s]\r\n", "s", "k", 4, "DEF"},
        // "编号" is four bytes; three bytes of room keep one whole character.
        ReadCase{"CutNeverSplitsCharacter", Gbk("[s]\r\nk=编号\r\n"), "s", "k", 4, Gbk("编")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileRead, MissingFileGivesDefault) {
  TestDirectory directory;
  EXPECT_EQ(ReadProfileString(directory.Path() / "none.ini", "s", "k", "fallback", kLargeBuffer), "fallback");
  EXPECT_EQ(ReadProfileString(directory.Path() / "no" / "such" / "dir.ini", "s", "k", "", kLargeBuffer), "");
}

// The program's own file, as a Windows editor saved it: GBK and CR LF. Every
// value reads back, and rewriting a key with its own value changes no byte.
TEST(ProfileRead, GbkFileWithCrLfReadsBackUnchanged) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  const Text original = Gbk("; 备注\r\n[config]\r\n是否下次自动查询=1\r\nLOT编号=甲ABC123\r\n电话后6位=123456\r\n");
  WriteFileBytes(path, original);

  EXPECT_EQ(ReadProfileString(path, "config", Gbk("是否下次自动查询"), "", kLargeBuffer), "1");
  EXPECT_EQ(ReadProfileString(path, "config", Gbk("LOT编号"), "", kLargeBuffer), Gbk("甲ABC123"));
  EXPECT_EQ(ReadProfileString(path, "config", Gbk("电话后6位"), "", kLargeBuffer), "123456");

  ASSERT_TRUE(WriteProfileString(path, "config", Gbk("LOT编号"), Gbk("甲ABC123")));
  EXPECT_EQ(ReadFileBytes(path), original);
}

// --- writing ----------------------------------------------------------------

struct WriteCase {
  const char* name;
  std::optional<Text> before;  // nothing: no file
  Text section;
  Text key;
  Text value;
  Text after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ChangesOnlyTheOneLine) {
  const WriteCase& c = GetParam();
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  if (c.before) WriteFileBytes(path, *c.before);
  ASSERT_TRUE(WriteProfileString(path, c.section, c.key, c.value));
  EXPECT_EQ(GbkToUtf8(ReadFileBytes(path)), GbkToUtf8(c.after));
  // Whatever the layout around it, the value reads back (blanks and
  // enclosing quotes aside, which no value below has).
  EXPECT_EQ(ReadProfileString(path, c.section, c.key, "DEFAULT", kLargeBuffer), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWriteTest,
    ::testing::Values(
        WriteCase{"CreatesFileAndSection", std::nullopt, "config", "k", "v", "[config]\r\nk=v\r\n"},
        WriteCase{"EmptyFile", Text(), "config", "k", "v", "[config]\r\nk=v\r\n"},
        WriteCase{"ReplacesInPlaceLeavingEveryOtherByte",
                  "; head\r\n[a]\r\n x = 1 \r\nk = old\r\ny='2'\r\n\r\n[b]\nk=other\n", "a", "k", "new",
                  "; head\r\n[a]\r\n x = 1 \r\nk=new\r\ny='2'\r\n\r\n[b]\nk=other\n"},
        WriteCase{"MatchesNamesIgnoringCase", "[A]\r\n  KEY = old\r\n", "a", "key", "new", "[A]\r\nkey=new\r\n"},
        WriteCase{"NewKeyAfterLastLineOfSection", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "k", "v",
                  "[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\ny=2\r\n"},
        WriteCase{"NewKeyAfterCommentInSection", "[a]\r\n;k=old\r\n", "a", "k", "v", "[a]\r\n;k=old\r\nk=v\r\n"},
        WriteCase{"NewKeyWhenLastLineHasNoEnd", "[a]\r\nx=1", "a", "k", "v", "[a]\r\nx=1\r\nk=v\r\n"},
        WriteCase{"ReplacesLastLineWithoutEnd", "[a]\r\nk=1", "a", "k", "2", "[a]\r\nk=2\r\n"},
        WriteCase{"NewSectionAtEndWhenLastLineHasNoEnd", "[a]\r\nx=1", "b", "k", "v", "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
        WriteCase{"LineFeedFileKeepsItsLines", "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n[b]\r\nk=v\r\n"},
        WriteCase{"KeyTwiceOnlyFirstReplaced", "[a]\r\nk=1\r\nk=2\r\n", "a", "k", "v", "[a]\r\nk=v\r\nk=2\r\n"},
        WriteCase{"SectionTwiceKeyInSecondPart", "[a]\r\nx=1\r\n[b]\r\n[a]\r\nk=old\r\n", "a", "k", "v",
                  "[a]\r\nx=1\r\n[b]\r\n[a]\r\nk=v\r\n"},
        WriteCase{"SectionTwiceNewKeyInFirstPart", "[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=2\r\n", "a", "k", "v",
                  "[a]\r\nx=1\r\nk=v\r\n[b]\r\n[a]\r\ny=2\r\n"},
        WriteCase{"GbkBytesAsGiven", Gbk("[config]\r\nLOT编号=旧\r\n"), "config", Gbk("LOT编号"), Gbk("新的值"),
                  Gbk("[config]\r\nLOT编号=新的值\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileWrite, ValueIsStoredAsGivenAndReadWithoutBlanksAndQuotes) {
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  ASSERT_TRUE(WriteProfileString(path, "s", "k", " 'x' "));
  EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk= 'x' \r\n");
  EXPECT_EQ(ReadProfileString(path, "s", "k", "", kLargeBuffer), "x");
}

// Entries that cannot be one "key=value" line in a "[section]" would change
// the meaning of the file (a value with a line break could add keys), so they
// are refused and the file stays as it was.
struct RefusedCase {
  const char* name;
  Text section;
  Text key;
  Text value;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class ProfileRefusedWriteTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ProfileRefusedWriteTest, LeavesFileAlone) {
  const RefusedCase& c = GetParam();
  TestDirectory directory;
  const auto path = directory.Path() / "settings.ini";
  const Text original = "[s]\r\nk=v\r\n";
  WriteFileBytes(path, original);
  EXPECT_FALSE(WriteProfileString(path, c.section, c.key, c.value));
  EXPECT_EQ(ReadFileBytes(path), original);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRefusedWriteTest,
    ::testing::Values(RefusedCase{"LineBreakInValue", "s", "k", "1\r\nflag=1"},
                      RefusedCase{"LineFeedInValue", "s", "k", "a\nb"}, RefusedCase{"CarriageReturnInKey", "s", "k\r", "v"},
                      RefusedCase{"NulInValue", "s", "k", Text("a\0b", 3)}, RefusedCase{"EmptyKey", "s", "  ", "v"},
                      RefusedCase{"EmptySection", "", "k", "v"}, RefusedCase{"EqualsInKey", "s", "a=b", "v"},
                      RefusedCase{"BracketInSection", "s]x", "k", "v"}, RefusedCase{"KeyReadsAsSection", "s", "[k", "v"},
                      RefusedCase{"KeyReadsAsComment", "s", ";k", "v"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvessa
