// QueryCommand against a recording window, with the pages served by a local
// HTTP server: what the user sees (rows, caption, messages) and what reaches
// the server, for good pages, the not-found answer and pages that do not
// follow the expected layout.
#include "app/query_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>
#include <vector>

#include "platform/regex_engine.h"
#include "support/http_test_server.h"
#include "support/recording_window.h"
#include "textops/gbk.h"
#include "tools/query_string.h"
#include "tools/repair_page.h"

namespace morvessa {
namespace {

using testing::HttpTestServer;
using testing::Message;
using testing::RecordedRequest;
using testing::RecordingWindow;
using testing::Reply;
using tools::BuildRepairPage;
using tools::RepairRecord;

// A record of three entries, as the server would send it.
RepairRecord ThreeEntries() {
  return {Gbk("R2611020137"),
          Gbk("笔记本 MV-14"),
          Gbk("已寄回客户"),
          {{"2026-11-02 09:41", Gbk("已收到机器。")},
           {"2026-11-03 14:05", Gbk("检测完成，需要更换主板。")},
           {"2026-11-11 11:02", Gbk("已寄出。")}}};
}

std::vector<std::vector<Text>> RowsOf(const RepairRecord& record) {
  std::vector<std::vector<Text>> rows;
  for (const auto& entry : record.entries) rows.push_back({entry.date, entry.progress});
  return rows;
}

Text Caption(const Text& field1, const Text& field2, const Text& field3, int count) {
  return field1 + "    " + field2 + "    " + field3 + "    " + Gbk("目前共有") + std::to_string(count) +
         Gbk("条记录");
}

// Serves whatever page the test sets, with a GBK content type.
class QueryTest : public ::testing::Test {
 protected:
  QueryTest()
      : server_([this](const RecordedRequest&) {
          std::lock_guard lock(mutex_);
          return Reply{"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gb2312\r\nContent-Length: " +
                       std::to_string(page_.size()) + "\r\nConnection: close\r\n\r\n" + page_};
        }) {
    window_.lot = "R2611020137";
    window_.phone = "135790";
  }

  void Serve(const Text& page) {
    std::lock_guard lock(mutex_);
    page_ = page;
  }

  void Run() { QueryCommand(window_, "127.0.0.1:" + std::to_string(server_.Port())); }

  // The window as a previous run may have left it.
  void ShowEarlierQuery() {
    window_.rows = {{"old date", "old progress"}};
    window_.caption = "earlier summary";
    window_.captionWritten = false;
  }

  // The request target the server received last, percent escapes decoded.
  std::string DecodedTarget() const {
    const auto requests = server_.Requests();
    if (requests.empty()) return "(no request)";
    const std::string& line = requests.back().requestLine;
    const auto first = line.find(' ');
    return tools::PercentDecode(line.substr(first + 1, line.rfind(' ') - first - 1), false);
  }

  std::mutex mutex_;
  Text page_;
  HttpTestServer server_;
  RecordingWindow window_;
};

TEST_F(QueryTest, FixedTextsHaveTheServersExactBytes) {
  EXPECT_EQ(NotFoundAnswer().size(), 108u);
  EXPECT_EQ(ProgressPattern().size(), 87u);
  EXPECT_EQ(QueryUrlPrefix("h:1"), std::string("http://h:1") + kQueryPagePath + "?LOT=");
}

// Each input check stops the run with its message, after the list has been
// emptied and before anything is sent; the caption stays as it was.
TEST_F(QueryTest, InputsThatAreRefused) {
  struct Case {
    Text lot, phone;
    Message message;
    std::vector<std::string> calls;
  };
  const Message lotMissing{Gbk("请输入LOT编号"), Gbk("错误")};
  const Message phoneShort{Gbk("电话后6位长度错误"), Gbk("错误")};
  const std::vector<Case> cases = {
      {"", "135790", lotMissing, {"DeleteAllRows", "EditText Lot", "ShowMessage"}},
      {"R1", "13579", phoneShort, {"DeleteAllRows", "EditText Lot", "EditText Phone", "ShowMessage"}},
      {"R1", "", phoneShort, {"DeleteAllRows", "EditText Lot", "EditText Phone", "ShowMessage"}},
      {"R1", Gbk("电话"), phoneShort, {"DeleteAllRows", "EditText Lot", "EditText Phone", "ShowMessage"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("lot '" + c.lot + "', phone '" + c.phone + "'");
    ShowEarlierQuery();
    window_.messages.clear();
    window_.calls.clear();
    window_.lot = c.lot;
    window_.phone = c.phone;
    Run();
    EXPECT_EQ(window_.messages, std::vector<Message>{c.message});
    EXPECT_EQ(window_.calls, c.calls);
    EXPECT_TRUE(window_.rows.empty());
    EXPECT_EQ(window_.caption, "earlier summary");
  }
  EXPECT_EQ(server_.RequestCount(), 0u);
}

// Six bytes or more pass, whatever they are, and both texts reach the server
// as typed: a blank and an ampersand in the LOT are not escaped by the query,
// so the ampersand starts a further query key on the server's side.
TEST_F(QueryTest, InputsReachTheServerAsTyped) {
  Serve(BuildRepairPage(ThreeEntries()));
  struct Case {
    Text lot, phone;
  };
  const std::vector<Case> cases = {
      {"R2611020137", "135790"}, {"R2611020137", "1357902"}, {"R2611020137", "13579a"},
      {"R2611020137", Gbk("电1357")}, {"   ", "135790"}, {Gbk("返修 01"), "135790"},
      {"A B&C", "135790"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("lot '" + c.lot + "', phone '" + c.phone + "'");
    window_.lot = c.lot;
    window_.phone = c.phone;
    window_.messages.clear();
    Run();
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_EQ(window_.rows.size(), 3u);
    EXPECT_EQ(DecodedTarget(), std::string(kQueryPagePath) + "?LOT=" + c.lot +
                                   "&Type=Tel&Param=" + c.phone);
    const std::string line = server_.Requests().back().requestLine;
    EXPECT_EQ(line.find("%26"), std::string::npos) << line;
  }
}

TEST_F(QueryTest, ShowsTheEntriesInPageOrderWithTheSummaryLine) {
  const RepairRecord record = ThreeEntries();
  Serve(BuildRepairPage(record));
  Run();
  EXPECT_TRUE(window_.messages.empty());
  EXPECT_EQ(window_.rows, RowsOf(record));
  EXPECT_EQ(window_.caption, Caption(record.summary1, record.summary2, record.summary3, 3));
  // Rows are filled one by one, the caption written after each with the
  // running count.
  const std::vector<std::string> perEntry = {"AppendRow", "SetCellText 0 0", "SetCellText 0 1", "SetSummaryCaption"};
  ASSERT_GE(window_.calls.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(window_.calls.end() - 12, window_.calls.end() - 8), perEntry);
  EXPECT_EQ(std::count(window_.calls.begin(), window_.calls.end(), "SetSummaryCaption"), 3);
}

// Only the exact bytes of the not-found answer give the not-found message;
// anything else is read as a page, which then has no entries.
TEST_F(QueryTest, NotFoundAnswerIsRecognisedOnlyExactly) {
  Text upperCased = NotFoundAnswer();
  std::transform(upperCased.begin(), upperCased.begin() + 7, upperCased.begin(), ::toupper);
  struct Case {
    std::string name;
    Text page;
    bool message;
  };
  const std::vector<Case> cases = {
      {"exact", NotFoundAnswer(), true},
      {"with CR LF after it", NotFoundAnswer() + "\r\n", false},
      {"blank before it", " " + NotFoundAnswer(), false},
      {"other letter case", upperCased, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowEarlierQuery();
    window_.messages.clear();
    Serve(c.page);
    Run();
    if (c.message) {
      const Message notFound{Gbk("没有找到信息记录，信息填写错误或数据未更新"), Gbk("查询失败")};
      EXPECT_EQ(window_.messages, std::vector<Message>{notFound});
    } else {
      EXPECT_TRUE(window_.messages.empty());
    }
    EXPECT_TRUE(window_.rows.empty());
    EXPECT_EQ(window_.caption, "earlier summary");
    EXPECT_FALSE(window_.captionWritten);
  }
}

// Pages that hold no entry the pattern accepts leave the list empty and the
// caption as it was, with no message: the summary fields are not shown alone.
TEST_F(QueryTest, PagesWithoutEntriesLeaveTheCaptionAlone) {
  RepairRecord noEntries = ThreeEntries();
  noEntries.entries.clear();
  const Text good = BuildRepairPage(ThreeEntries());
  struct Case {
    std::string name;
    Text page;
  };
  const std::vector<Case> cases = {
      {"summary row but no entry", BuildRepairPage(noEntries)},
      {"empty page", ""},
      {"lines ending in a bare LF", ReplaceAll(good, "\r\n", "\n")},
      {"binary bytes", std::string("\x01\xff\xfe\x80\x80\r\n\x7f", 8)},
      {"a different layout", "<html><body><p>Service unavailable</p></body></html>"},
      {"cut off inside the first entry", good.substr(0, good.find(Gbk("已收到")) + 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowEarlierQuery();
    Serve(c.page);
    Run();
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_TRUE(window_.rows.empty());
    EXPECT_EQ(window_.caption, "earlier summary");
    EXPECT_FALSE(window_.captionWritten);
  }
}

TEST_F(QueryTest, ServerThatCannotBeReachedShowsNothing) {
  int closedPort = 0;
  {
    HttpTestServer gone([](const RecordedRequest&) { return Reply{}; });
    closedPort = gone.Port();
  }
  ShowEarlierQuery();
  QueryCommand(window_, "127.0.0.1:" + std::to_string(closedPort));
  EXPECT_TRUE(window_.messages.empty());
  EXPECT_TRUE(window_.rows.empty());
  EXPECT_EQ(window_.caption, "earlier summary");
}

TEST_F(QueryTest, EntriesWithoutSummaryMarkersGiveTwelveBlanks) {
  const Text page = ReplaceAll(BuildRepairPage(ThreeEntries()), "<tr CLASS=\"text\">", "<tr>");
  const Text withoutMarkers = ReplaceAll(ReplaceAll(page, "align=\"left\"", "align=\"right\""), "cneter", "center");
  Serve(withoutMarkers);
  Run();
  EXPECT_EQ(window_.rows.size(), 3u);
  EXPECT_EQ(window_.caption, std::string(12, ' ') + Gbk("目前共有3条记录"));
}

// Both the marker search and the pattern ignore ASCII letter case.
TEST_F(QueryTest, MarkupInOtherLetterCaseIsRead) {
  const RepairRecord record = ThreeEntries();
  Text page = BuildRepairPage(record);
  for (const auto& [from, to] : std::vector<std::pair<Text, Text>>{
           {"<tr CLASS=\"text\">", "<TR class=\"TEXT\">"},
           {"<td align=\"center\">", "<TD ALIGN=\"Center\">"},
           {"<td align=\"left\">", "<Td Align=\"LEFT\">"},
           {"<td align=\"cneter\">", "<TD ALIGN=\"CNETER\">"},
           {"</td>", "</TD>"},
           {"<td width=\"20%\" align=\"center\">", "<TD WIDTH=\"20%\" ALIGN=\"CENTER\">"},
           {"<td>", "<TD>"}}) {
    page = ReplaceAll(page, from, to);
  }
  Serve(page);
  Run();
  EXPECT_EQ(window_.rows, RowsOf(record));
  EXPECT_EQ(window_.caption, Caption(record.summary1, record.summary2, record.summary3, 3));
}

// An entry whose text line has no "。" or whose date cell is not closed on
// its own line gives no row; the others still do, and the count follows.
TEST_F(QueryTest, EntriesThePatternRejectsAreSkipped) {
  RepairRecord record = ThreeEntries();
  record.entries.insert(record.entries.begin() + 1, {"2026-11-02 10:00", Gbk("等待检测")});
  record.entries.insert(record.entries.begin() + 2, {"2026-11-02\r\n11:00", Gbk("已检测。")});
  record.entries.push_back({"2026-11-12 08:00", Gbk("已签收。谢谢。")});
  Serve(BuildRepairPage(record));
  Run();
  const std::vector<std::vector<Text>> expected = {{"2026-11-02 09:41", Gbk("已收到机器。")},
                                                   {"2026-11-03 14:05", Gbk("检测完成，需要更换主板。")},
                                                   {"2026-11-11 11:02", Gbk("已寄出。")},
                                                   {"2026-11-12 08:00", Gbk("已签收。")}};
  EXPECT_EQ(window_.rows, expected);
  EXPECT_EQ(window_.caption, Caption(record.summary1, record.summary2, record.summary3, 4));
}

// The run's regular-expression object (which holds the thread's engine
// initialisation) exists before the list is emptied and is gone when the run
// ends, on the message paths as on the others.
TEST_F(QueryTest, EngineInitialisationIsBalancedOnEveryPath) {
  struct CountingWindow : RecordingWindow {
    int countAtDeleteAllRows = -1;
    void DeleteAllRows() override {
      countAtDeleteAllRows = platform::RegexThreadInitCount();
      RecordingWindow::DeleteAllRows();
    }
  };
  struct Case {
    std::string name;
    Text lot, phone, page;
  };
  const std::vector<Case> cases = {
      {"LOT empty", "", "135790", ""},
      {"phone short", "R1", "1357", ""},
      {"not found", "R1", "135790", NotFoundAnswer()},
      {"entries", "R1", "135790", BuildRepairPage(ThreeEntries())},
      {"other page", "R1", "135790", "<html></html>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve(c.page);
    CountingWindow window;
    window.lot = c.lot;
    window.phone = c.phone;
    const int before = platform::RegexThreadInitCount();
    QueryCommand(window, "127.0.0.1:" + std::to_string(server_.Port()));
    EXPECT_EQ(window.countAtDeleteAllRows, before + 1);
    EXPECT_EQ(platform::RegexThreadInitCount(), before);
  }
}

TEST_F(QueryTest, SecondRunReplacesTheFirst) {
  Serve(BuildRepairPage(ThreeEntries()));
  Run();
  ASSERT_EQ(window_.rows.size(), 3u);

  RepairRecord other{"R2", "K", "S", {{"2026-12-01", Gbk("已登记。")}}};
  Serve(BuildRepairPage(other));
  Run();
  EXPECT_EQ(window_.rows, RowsOf(other));
  EXPECT_EQ(window_.caption, Caption("R2", "K", "S", 1));

  // A third run that is refused empties the list and keeps the caption.
  window_.lot.clear();
  Run();
  EXPECT_TRUE(window_.rows.empty());
  EXPECT_EQ(window_.caption, Caption("R2", "K", "S", 1));
}

}  // namespace
}  // namespace morvessa
