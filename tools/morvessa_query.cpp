// morvessa-query: runs the query command from the command line against a
// console window and prints what the window would show. See --help.
#include <cstdio>
#include <string>
#include <vector>

#include "app/query_command.h"
#include "textops/gbk.h"
#include "tools/console_window.h"
#include "tools/json_text.h"
#include "tools/query_cli_options.h"
#include "tools/utf8_check.h"

namespace {

using morvessa::GbkToUtf8;
using morvessa::Text;
using morvessa::tools::ConsoleWindow;
using morvessa::tools::JsonString;

enum ExitStatus {
  kRowsShown = 0,
  kNothingShown = 1,
  kInputRefused = 2,
  kNoRecord = 3,
};

void Print(FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

// `utf8` in GBK, or false with `error` set when it is not valid UTF-8 or holds
// a character GBK cannot write (the conversion would put "?" in its place and
// the server would be asked about a different LOT).
bool ArgumentToGbk(const char* name, const std::string& utf8, Text& gbk, std::string& error) {
  if (!morvessa::tools::IsValidUtf8(utf8)) {
    error = std::string(name) + " is not valid UTF-8";
    return false;
  }
  gbk = morvessa::Gbk(utf8);
  if (GbkToUtf8(gbk) != utf8) {
    error = std::string(name) + " holds a character that GBK cannot write";
    return false;
  }
  return true;
}

void PrintPlain(const ConsoleWindow& window) {
  std::string out;
  if (window.Caption()) out += GbkToUtf8(*window.Caption()) + "\n";
  for (const auto& row : window.Rows()) out += GbkToUtf8(row[0]) + "\t" + GbkToUtf8(row[1]) + "\n";
  Print(stdout, out);
}

void PrintJson(const ConsoleWindow& window) {
  std::string out = "{\"summary\": ";
  out += window.Caption() ? JsonString(GbkToUtf8(*window.Caption())) : "null";
  out += ", \"rows\": [";
  bool first = true;
  for (const auto& row : window.Rows()) {
    if (!first) out += ", ";
    first = false;
    out += "{\"date\": " + JsonString(GbkToUtf8(row[0])) + ", \"progress\": " + JsonString(GbkToUtf8(row[1])) + "}";
  }
  out += "], \"message\": ";
  if (const auto& message = window.LastMessage()) {
    out += "{\"title\": " + JsonString(GbkToUtf8(message->title)) + ", \"text\": " +
           JsonString(GbkToUtf8(message->text)) + "}";
  } else {
    out += "null";
  }
  out += "}\n";
  Print(stdout, out);
}

int StatusOf(const ConsoleWindow& window) {
  if (const auto& message = window.LastMessage()) {
    return message->text == morvessa::NotFoundMessage() ? kNoRecord : kInputRefused;
  }
  return window.Rows().empty() ? kNothingShown : kRowsShown;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  morvessa::tools::QueryCliOptions options;
  std::string error;
  if (!morvessa::tools::ParseQueryCliOptions(args, options, error)) {
    Print(stderr, "morvessa-query: " + error + "\nTry 'morvessa-query --help'.\n");
    return kInputRefused;
  }
  if (options.help) {
    Print(stdout, morvessa::tools::QueryCliHelp());
    return 0;
  }
  Text lot;
  Text phone;
  if (!ArgumentToGbk("LOT", options.lot, lot, error) || !ArgumentToGbk("PHONE", options.phone, phone, error)) {
    Print(stderr, "morvessa-query: " + error + "; nothing was sent\n");
    return kInputRefused;
  }

  ConsoleWindow window;
  window.SetEditText(morvessa::EditBox::Lot, lot);
  window.SetEditText(morvessa::EditBox::Phone, phone);
  const Text server = options.server ? Text(*options.server) : morvessa::QueryServerFromEnvironment();
  morvessa::QueryCommand(window, server);

  if (options.json) {
    PrintJson(window);
  } else {
    PrintPlain(window);
  }
  return StatusOf(window);
}
