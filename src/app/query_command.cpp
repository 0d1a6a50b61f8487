#include "app/query_command.h"

#include <cstdlib>

#include "extract/regex_object.h"
#include "extract/text_between.h"
#include "textops/gbk.h"
#include "web/fetch_page.h"

namespace morvessa {
namespace {

// The left and right markers of the three summary cells of the result page.
// Each left marker has exactly four blanks after its CR LF. The third cell's
// align attribute really reads "cneter" on the server's page.
struct SummaryMarkers {
  Text left;
  Text right;
};

const SummaryMarkers kSummaryFields[3] = {
    {"<tr CLASS=\"text\">\r\n    <td align=\"center\">", "</td>"},
    {"</td>\r\n    <td align=\"left\">", "</td>"},
    {"</td>\r\n    <td align=\"cneter\">", "</td>"},
};

constexpr const char* kSummarySeparator = "    ";  // four blanks

// Empties the list, checks the inputs, fetches the page and hands any page but
// the not-found answer to ShowRepairRecord. Every way out of it returns to
// QueryCommand, which owns the RegexObject.
void FetchAndShow(MainWindow& window, RegexObject& regex, const Text& server) {
  // The list is emptied before any check, so that a stopped run leaves it
  // empty too; the caption is left as it is.
  window.DeleteAllRows();
  const Text lot = window.EditText(EditBox::Lot);
  if (lot.empty()) {
    window.ShowMessage(Gbk("请输入LOT编号"), Gbk("错误"));
    return;
  }
  const Text phone = window.EditText(EditBox::Phone);
  if (phone.size() < 6) {
    window.ShowMessage(Gbk("电话后6位长度错误"), Gbk("错误"));
    return;
  }
  // Both inputs go into the URL byte for byte: no trimming, no escaping.
  const Text url = QueryUrlPrefix(server) + lot + "&Type=Tel&Param=" + phone;
  const Text page = FetchPage(url);
  if (page == NotFoundAnswer()) {
    window.ShowMessage(NotFoundMessage(), Gbk("查询失败"));
    return;
  }
  // Any other page, the empty page of a failed request included, is read
  // for entries; a page in another layout simply yields none.
  ShowRepairRecord(window, regex, page);
}

}  // namespace

Text QueryServerFromEnvironment() {
  const char* server = std::getenv("MORVESSA_SERVER");
  if (server != nullptr && *server != '\0') return server;
  return kDefaultQueryServer;
}

Text QueryUrlPrefix(const Text& server) { return "http://" + server + kQueryPagePath + "?LOT="; }

const Text& NotFoundAnswer() {
  static const Text kAnswer = Gbk(
      "<script language='javascript'>alert('对不起，没有找到信息记录，请仔细核对填写信息');"
      "widows.close();</script>");
  return kAnswer;
}

const Text& NotFoundMessage() {
  static const Text kMessage = Gbk("没有找到信息记录，信息填写错误或数据未更新");
  return kMessage;
}

const Text& ProgressPattern() {
  static const Text kPattern = Gbk(
      "        <td width=\"20%\" align=\"center\">(.*?)</td>\r\n"
      "        <td>\r\n"
      "        \r\n"
      " (.*?\\。)<*?");
  return kPattern;
}

void ShowRepairRecord(MainWindow& window, RegexObject& regex, const Text& page) {
  // Each field is searched from the start of the page, ignoring ASCII case.
  Text fields[3];
  for (int i = 0; i < 3; ++i) fields[i] = TextBetween(page, kSummaryFields[i].left, kSummaryFields[i].right);
  const Text captionHead = fields[0] + kSummarySeparator + fields[1] + kSummarySeparator + fields[2] +
                           kSummarySeparator + Gbk("目前共有");
  static const Text kCaptionTail = Gbk("条记录");

  regex.Create(ProgressPattern(), page, /*caseSensitive=*/false, /*multiline=*/true, /*global=*/true,
               /*expandQuotes=*/true);
  const int count = regex.MatchCount();
  int unusedPosition = 0;
  Text caption;  // reused, so that a page of many entries does not allocate one per entry
  for (int entry = 1; entry <= count; ++entry) {
    const int row = window.AppendRow();
    window.SetCellText(row, kDateColumn, regex.SubmatchText(entry, 1, unusedPosition));
    window.SetCellText(row, kProgressColumn, regex.SubmatchText(entry, 2, unusedPosition));
    // Written once per entry, so that it ends by showing the number of entries.
    caption.assign(captionHead).append(IntToText(entry)).append(kCaptionTail);
    window.SetSummaryCaption(caption);
  }
}

void QueryCommand(MainWindow& window, const Text& server) {
  // The run owns one RegexObject, made before anything else and destroyed
  // when this scope ends, whichever way the run ends.
  RegexObject regex;
  FetchAndShow(window, regex, server);
}

}  // namespace morvessa
