#include "app/query_command.h"

#include <cstdlib>

#include "extract/regex_object.h"
#include "extract/text_between.h"
#include "textops/gbk.h"
#include "web/fetch_page.h"

namespace morvessa {
namespace {

// The left and right markers of the three summary cells of the result page.
// The third cell's align attribute really reads "cneter" on the server's page.
struct SummaryMarkers {
  Text left;
  Text right;
};

const SummaryMarkers& SummaryField(int index) {
  static const SummaryMarkers kFields[3] = {
      {"<tr CLASS=\"text\">\r\n    <td align=\"center\">", "</td>"},
      {"</td>\r\n    <td align=\"left\">", "</td>"},
      {"</td>\r\n    <td align=\"cneter\">", "</td>"},
  };
  return kFields[index];
}

constexpr const char* kSummarySeparator = "    ";  // four blanks

// The RegexObject must be destroyed on every way out of a run, the message
// paths included; a scope does that.
class QueryRun {
 public:
  QueryRun(MainWindow& window, const Text& server) : window_(window), server_(server) {}

  void Run() {
    window_.DeleteAllRows();
    const Text lot = window_.EditText(EditBox::Lot);
    if (lot.empty()) {
      window_.ShowMessage(Gbk("请输入LOT编号"), Gbk("错误"));
      return;
    }
    const Text phone = window_.EditText(EditBox::Phone);
    if (phone.size() < 6) {
      window_.ShowMessage(Gbk("电话后6位长度错误"), Gbk("错误"));
      return;
    }
    const Text url = QueryUrlPrefix(server_) + lot + "&Type=Tel&Param=" + phone;
    const Text page = FetchPage(url);
    if (page == NotFoundAnswer()) {
      window_.ShowMessage(Gbk("没有找到信息记录，信息填写错误或数据未更新"), Gbk("查询失败"));
      return;
    }
    ShowEntries(page);
  }

 private:
  void ShowEntries(const Text& page) {
    Text fields[3];
    for (int i = 0; i < 3; ++i) fields[i] = TextBetween(page, SummaryField(i).left, SummaryField(i).right);
    const Text summaryHead = fields[0] + kSummarySeparator + fields[1] + kSummarySeparator + fields[2] +
                             kSummarySeparator + Gbk("目前共有");
    static const Text kSummaryTail = Gbk("条记录");

    regex_.Create(ProgressPattern(), page, /*caseSensitive=*/false, /*multiline=*/true, /*global=*/true,
                  /*expandQuotes=*/true);
    const int count = regex_.MatchCount();
    for (int entry = 1; entry <= count; ++entry) {
      int unusedPosition = 0;
      const int row = window_.AppendRow();
      window_.SetCellText(row, kDateColumn, regex_.SubmatchText(entry, 1, unusedPosition));
      window_.SetCellText(row, kProgressColumn, regex_.SubmatchText(entry, 2, unusedPosition));
      window_.SetSummaryCaption(summaryHead + IntToText(entry) + kSummaryTail);
    }
  }

  MainWindow& window_;
  const Text& server_;
  RegexObject regex_;  // constructed first, destroyed when the run ends
};

}  // namespace

Text QueryServerFromEnvironment() {
  const char* server = std::getenv("MORVESSA_SERVER");
  if (server != nullptr && *server != '\0') return server;
  return kDefaultQueryServer;
}

Text QueryUrlPrefix(const Text& server) { return "http://" + server + "/RmaTrace/GK_Search_hasee.Asp?LOT="; }

const Text& NotFoundAnswer() {
  static const Text kAnswer = Gbk(
      "<script language='javascript'>alert('对不起，没有找到信息记录，请仔细核对填写信息');"
      "widows.close();</script>");
  return kAnswer;
}

const Text& ProgressPattern() {
  static const Text kPattern = Gbk(
      "        <td width=\"20%\" align=\"center\">(.*?)</td>\r\n"
      "        <td>\r\n"
      "        \r\n"
      " (.*?\\。)<*?");
  return kPattern;
}

void QueryCommand(MainWindow& window, const Text& server) {
  // The run owns its RegexObject: it is made before the list is emptied and
  // destroyed when the run goes out of scope, whichever way the run ends.
  QueryRun run(window, server);
  run.Run();
}

}  // namespace morvessa
