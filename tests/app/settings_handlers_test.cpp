// The auto-query settings handlers against a recording window and a settings
// file in a temporary directory: what each click leaves in the file and in
// the window, and what start-up does with each kind of file.
#include "app/settings_handlers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/query_command.h"
#include "support/temp_directory.h"
#include "support/http_test_server.h"
#include "support/recording_window.h"
#include "textops/gbk.h"

namespace morvessa {
namespace {

namespace fs = std::filesystem;
using testing::HttpTestServer;
using testing::Message;
using testing::ReadFileBytes;
using testing::RecordedRequest;
using testing::RecordingWindow;
using testing::Reply;
using testing::TestDirectory;
using testing::WriteFileBytes;

const Text kEmptyMessage = Gbk("LOT编号或电话后6位为空，下次无法自动查询");
const Text kShortPhoneMessage = Gbk("电话后6位长度错误，下次无法自动查询");

// The file the program writes when the box is ticked with these inputs.
Text StoredSettings(const Text& lot, const Text& phone) {
  return Gbk("[config]\r\n是否下次自动查询=1\r\nLOT编号=") + lot + Gbk("\r\n电话后6位=") + phone + "\r\n";
}

// No request may leave the machine: a query that got as far as the network
// would meet a port nobody listens on.
constexpr const char* kUnusedServer = "127.0.0.1:1";

class SettingsTest : public ::testing::Test {
 protected:
  // The window as the user left it: inputs typed, box toggled by the click.
  void Click(const Text& lot, const Text& phone, int tickedByClick) {
    window_.lot = lot;
    window_.phone = phone;
    window_.ticked = tickedByClick;
    OnAutoQueryClicked(window_, provider_);
  }

  void StartUp(const Text& server = kUnusedServer) { OnWindowCreated(window_, provider_, server); }

  std::optional<Text> FileBytes() const {
    if (!fs::is_regular_file(path_)) return std::nullopt;
    return ReadFileBytes(path_);
  }

  TestDirectory directory_;
  DirectoryProvider provider_ = [this] { return directory_.Path(); };
  fs::path path_ = SettingsFilePath(provider_);
  RecordingWindow window_;
};

TEST_F(SettingsTest, SettingsFileLiesInTheGivenDirectory) {
  EXPECT_EQ(path_, directory_.Path() / "\xE9\x85\x8D\xE7\xBD\xAE.ini");  // "配置.ini" in UTF-8
}

// --- clicks ---------------------------------------------------------------------

TEST_F(SettingsTest, TickWithValidInputsWritesTheThreeKeysInOrder) {
  Click(Gbk("甲R2611"), "123456", 1);
  EXPECT_EQ(FileBytes(), StoredSettings(Gbk("甲R2611"), "123456"));
  EXPECT_EQ(window_.ticked, 1);
  EXPECT_TRUE(window_.messages.empty());
}

// A phone text of three double-byte characters is six bytes long: accepted.
TEST_F(SettingsTest, PhoneLengthCountsBytes) {
  Click("R1", Gbk("一二三"), 1);
  EXPECT_EQ(FileBytes(), StoredSettings("R1", Gbk("一二三")));
}

TEST_F(SettingsTest, TickRewritesStoredValuesAndKeepsTheRestOfTheFile) {
  WriteFileBytes(path_, Gbk("; 用户的备注\r\n[config]\r\nLOT编号=OLD\r\n电话后6位=654321\r\n\r\n[other]\r\nx=1\r\n"));
  Click("NEW", "123456", 1);
  EXPECT_EQ(FileBytes(), Gbk("; 用户的备注\r\n[config]\r\nLOT编号=NEW\r\n电话后6位=123456\r\n是否下次自动查询=1\r\n"
                             "\r\n[other]\r\nx=1\r\n"));
}

TEST_F(SettingsTest, UntickWithValidInputsDeletesTheFile) {
  WriteFileBytes(path_, StoredSettings("R1", "123456"));
  Click("R1", "123456", 0);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(window_.ticked, 0);
  EXPECT_TRUE(window_.messages.empty());

  Click("R1", "123456", 0);  // nothing left to delete: no message either
  EXPECT_TRUE(window_.messages.empty());
}

// Only the last tick counts.
TEST_F(SettingsTest, TickUntickTickStoresTheLatestInputs) {
  Click("FIRST", "123456", 1);
  Click("FIRST", "123456", 0);
  Click("SECOND", "654321", 1);
  EXPECT_EQ(FileBytes(), StoredSettings("SECOND", "654321"));
}

// A write that cannot be done (here the settings path names a directory)
// passes without a message; the box keeps the state the click gave it.
TEST_F(SettingsTest, FailedWriteAndDeleteAreSilent) {
  fs::create_directory(path_);
  Click("R1", "123456", 1);
  EXPECT_EQ(window_.ticked, 1);
  Click("R1", "123456", 0);
  EXPECT_EQ(window_.ticked, 0);
  EXPECT_TRUE(window_.messages.empty());
  EXPECT_TRUE(fs::is_directory(path_));
}

struct RefusedClick {
  const char* name;
  Text lot;
  Text phone;
  int tickedByClick;
  Text message;
};

void PrintTo(const RefusedClick& c, std::ostream* os) { *os << c.name; }

class SettingsRefusedClickTest : public SettingsTest, public ::testing::WithParamInterface<RefusedClick> {};

// The checks run whichever way the click turned the box, show their message
// with the default title, untick the box and leave the file as it was.
TEST_P(SettingsRefusedClickTest, ShowsMessageUnticksAndLeavesFileAlone) {
  const RefusedClick& c = GetParam();
  const Text stored = StoredSettings("KEPT", "111111");
  WriteFileBytes(path_, stored);

  Click(c.lot, c.phone, c.tickedByClick);

  EXPECT_EQ(window_.messages, (std::vector<Message>{{c.message, Gbk("信息：")}}));
  EXPECT_EQ(window_.ticked, 0);
  ASSERT_GE(window_.calls.size(), 2u);
  EXPECT_EQ(window_.calls.back(), "SetAutoQueryTicked 0");  // after the message
  EXPECT_EQ(window_.calls.end()[-2], "ShowMessage");
  EXPECT_EQ(FileBytes(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsRefusedClickTest,
    ::testing::Values(RefusedClick{"TickWithEmptyLot", "", "123456", 1, kEmptyMessage},
                      RefusedClick{"TickWithEmptyPhone", "R1", "", 1, kEmptyMessage},
                      RefusedClick{"UntickWithEmptyPhone", "R1", "", 0, kEmptyMessage},
                      RefusedClick{"TickWithBothEmpty", "", "", 1, kEmptyMessage},
                      RefusedClick{"TickWithFiveDigits", "R1", "12345", 1, kShortPhoneMessage},
                      RefusedClick{"UntickWithFiveDigits", "R1", "12345", 0, kShortPhoneMessage},
                      RefusedClick{"FiveBytesOfDoubleByteText", "R1", Gbk("一二") + "1", 1, kShortPhoneMessage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, RefusedTickCreatesNoFile) {
  Click("", "123456", 1);
  EXPECT_FALSE(fs::exists(path_));
}

// --- start-up --------------------------------------------------------------------

TEST_F(SettingsTest, StartUpWithoutFileUnticksAndDoesNothingElse) {
  StartUp();
  EXPECT_EQ(window_.calls, std::vector<std::string>{"SetAutoQueryTicked 0"});
}

struct OffAtStartUp {
  const char* name;
  Text fileBytes;
};

void PrintTo(const OffAtStartUp& c, std::ostream* os) { *os << c.name; }

class SettingsOffAtStartUpTest : public SettingsTest, public ::testing::WithParamInterface<OffAtStartUp> {};

// Only a flag that reads as exactly "1" turns auto-query on; otherwise the
// box is unticked, the edit boxes stay empty and the file stays as it was.
TEST_P(SettingsOffAtStartUpTest, UnticksAndLeavesEditBoxesEmpty) {
  WriteFileBytes(path_, GetParam().fileBytes);
  StartUp();
  EXPECT_EQ(window_.calls, std::vector<std::string>{"SetAutoQueryTicked 0"});
  EXPECT_EQ(ReadFileBytes(path_), GetParam().fileBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsOffAtStartUpTest,
    ::testing::Values(OffAtStartUp{"FlagZero", Gbk("[config]\r\n是否下次自动查询=0\r\nLOT编号=R1\r\n电话后6位=123456\r\n")},
                      OffAtStartUp{"FlagTwo", Gbk("[config]\r\n是否下次自动查询=2\r\nLOT编号=R1\r\n")},
                      OffAtStartUp{"FlagZeroOne", Gbk("[config]\r\n是否下次自动查询=01\r\n")},
                      OffAtStartUp{"FlagEmpty", Gbk("[config]\r\n是否下次自动查询=\r\n")},
                      OffAtStartUp{"FlagMissing", Gbk("[config]\r\nLOT编号=R1\r\n电话后6位=123456\r\n")},
                      OffAtStartUp{"FlagInOtherSection", Gbk("[other]\r\n是否下次自动查询=1\r\n")},
                      OffAtStartUp{"EmptyFile", ""},
                      OffAtStartUp{"BinaryFile", Text(Gbk("[config]\r\n是否下次自动查询=1\r\n")) + Text("\0", 1)}),
    [](const auto& info) { return std::string(info.param.name); });

// A directory of that name passes the existence test but reads as empty.
TEST_F(SettingsTest, StartUpWithDirectoryNamedLikeTheFileUnticks) {
  fs::create_directory(path_);
  StartUp();
  EXPECT_EQ(window_.calls, std::vector<std::string>{"SetAutoQueryTicked 0"});
}

// The query runs with its own checks: an empty stored LOT stops it before any
// request with the query's own message.
TEST_F(SettingsTest, StartUpWithEmptyLotTicksAndQueryAsksForTheLot) {
  WriteFileBytes(path_, StoredSettings("", "123456"));
  StartUp();
  EXPECT_EQ(window_.ticked, 1);
  EXPECT_EQ(window_.lot, "");
  EXPECT_EQ(window_.phone, "123456");
  EXPECT_EQ(window_.messages, (std::vector<Message>{{Gbk("请输入LOT编号"), Gbk("错误")}}));
}

// Flag on: the box is ticked and the edit boxes are filled before the query
// runs, and the query asks the server for the stored LOT and phone digits.
TEST_F(SettingsTest, StartUpWithFlagOnFillsInputsAndRunsTheQuery) {
  HttpTestServer server([](const RecordedRequest&) {
    const Text page = NotFoundAnswer();
    return Reply{"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gb2312\r\nContent-Length: " +
                 std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page};
  });
  // Blanks and quotes around a value are not part of it.
  WriteFileBytes(path_, Gbk("[Config]\r\n是否下次自动查询 = \"1\"\r\nLOT编号= R2611020137 \r\n电话后6位=123456"));

  StartUp("127.0.0.1:" + std::to_string(server.Port()));

  EXPECT_EQ(window_.ticked, 1);
  EXPECT_EQ(window_.lot, "R2611020137");
  EXPECT_EQ(window_.phone, "123456");
  const std::vector<std::string> firstCalls(window_.calls.begin(), window_.calls.begin() + 4);
  EXPECT_EQ(firstCalls, (std::vector<std::string>{"SetAutoQueryTicked 1", "SetEditText Lot", "SetEditText Phone",
                                                  "DeleteAllRows"}));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine,
            "GET /RmaTrace/GK_Search_hasee.Asp?LOT=R2611020137&Type=Tel&Param=123456 HTTP/1.1");
  EXPECT_EQ(window_.messages.size(), 1u);  // the query's "not found" message
}

// Ticking and starting again: the stored inputs come back as typed.
TEST_F(SettingsTest, TickedInputsComeBackAtTheNextStart) {
  Click(Gbk("甲R1"), Gbk("一二三"), 1);
  RecordingWindow nextStart;
  OnWindowCreated(nextStart, provider_, kUnusedServer);
  EXPECT_EQ(nextStart.ticked, 1);
  EXPECT_EQ(nextStart.lot, Gbk("甲R1"));
  EXPECT_EQ(nextStart.phone, Gbk("一二三"));
}

}  // namespace
}  // namespace morvessa
