#include "tools/repair_page.h"

namespace morvessa::tools {
namespace {

// Fixed parts of the page. The summary row puts its opening tag on a line of
// its own and each cell on the next lines, indented by four blanks; the
// third cell's align attribute is spelt "cneter", as on the real page. Each
// progress block is indented by eight blanks, with a line of eight blanks
// before the progress text and one blank in front of that text.
const char kPageHead[] =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n"
    "<title>RMA</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table width=\"100%\" border=\"0\">\r\n"
    "  <tr CLASS=\"text\">\r\n";

const char kEntriesHead[] =
    "  </tr>\r\n"
    "</table>\r\n"
    "<table width=\"100%\" border=\"0\">\r\n";

const char kPageTail[] =
    "</table>\r\n"
    "</body>\r\n"
    "</html>\r\n";

}  // namespace

Text BuildRepairPage(const RepairRecord& record) {
  Text page;
  // A page of n entries is about 150 bytes per entry plus its texts; reserving
  // keeps the generation of large benchmark pages linear and quick.
  page.reserve(600 + record.entries.size() * 160);
  page += kPageHead;
  page += "    <td align=\"center\">" + record.summary1 + "</td>\r\n";
  page += "    <td align=\"left\">" + record.summary2 + "</td>\r\n";
  page += "    <td align=\"cneter\">" + record.summary3 + "</td>\r\n";
  page += kEntriesHead;
  for (const ProgressEntry& entry : record.entries) {
    page += "      <tr>\r\n";
    page += "        <td width=\"20%\" align=\"center\">";
    page += entry.date;
    page += "</td>\r\n";
    page += "        <td>\r\n";
    page += "        \r\n";
    page += " ";
    page += entry.progress;
    page += "\r\n";
    page += "        </td>\r\n";
    page += "      </tr>\r\n";
  }
  page += kPageTail;
  return page;
}

}  // namespace morvessa::tools
