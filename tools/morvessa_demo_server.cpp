// morvessa-demo-server: a stand-in for the repair-tracking server on
// 127.0.0.1, answering the query page for the repairs of a records file
// (format in repair_records.h) and the not-found answer for anything else.
//
// It prints "listening on http://127.0.0.1:PORT" first, then one line per
// request: the method, the request target as it arrived (bytes that are not
// printable ASCII as %XX) and what was answered. SIGINT or SIGTERM stop it.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/query_command.h"
#include "tools/loopback_listener.h"
#include "tools/query_string.h"
#include "tools/repair_page.h"
#include "tools/repair_records.h"

namespace {

using morvessa::tools::HttpAnswer;
using morvessa::tools::RepairRecords;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

// Installed without SA_RESTART, so that a wait is interrupted at once.
void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

const char kHelp[] = R"(Usage: morvessa-demo-server [--port N] [--records FILE]

A stand-in for the repair-tracking server, listening on 127.0.0.1 only. It
answers GET on the query page with the keys LOT, Type=Tel and Param: when the
LOT and Param name a repair of the records file, with the result page (GBK,
CR LF lines, the summary row and one block per progress entry); for anything
else, with the server's not-found answer.

  --port N        the port to listen on (default 18080; 0 lets the system pick)
  --records FILE  the repairs to serve (UTF-8 text; default: none). Format:
                    # comment
                    repair: LOT | PHONE | SUMMARY1 | SUMMARY2 | SUMMARY3
                    entry: DATE | PROGRESS
                  An "entry:" line belongs to the "repair:" line above it.
                  Pieces lose the blanks at both ends; PHONE must equal the
                  request's Param. See tools/sample-records.txt.

Prints "listening on http://127.0.0.1:PORT", then one line per request, and
runs until SIGINT (Ctrl-C) or SIGTERM.
)";

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The record the request asks for, or null. Path and keys are compared
// ignoring ASCII case, as the real server does; LOT and Param exactly.
const morvessa::tools::RepairRecord* FindRecord(const RepairRecords& records, const std::string& target) {
  const auto request = morvessa::tools::ParseRequestTarget(target);
  if (!EqualsIgnoringAsciiCase(request.path, morvessa::kQueryPagePath)) return nullptr;
  const auto lot = request.Value("LOT");
  const auto type = request.Value("Type");
  const auto phone = request.Value("Param");
  if (!lot || !phone || !type || !EqualsIgnoringAsciiCase(*type, "Tel")) return nullptr;
  const auto found = records.find({*lot, *phone});
  return found == records.end() ? nullptr : &found->second;
}

bool ParsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::atoi(text.c_str());
  return port <= 65535;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 18080;
  RepairRecords records;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if ((arg == "--port" || arg == "--records") && i + 1 < argc) {
      const std::string value = argv[++i];
      std::string error;
      if (arg == "--port" && !ParsePort(value, port)) {
        std::fprintf(stderr, "morvessa-demo-server: --port needs a number from 0 to 65535\n");
        return 2;
      }
      if (arg == "--records" && !morvessa::tools::LoadRepairRecords(value, records, error)) {
        std::fprintf(stderr, "morvessa-demo-server: %s\n", error.c_str());
        return 2;
      }
      continue;
    }
    std::fprintf(stderr, "morvessa-demo-server: unexpected argument %s\nTry 'morvessa-demo-server --help'.\n",
                 arg.c_str());
    return 2;
  }

  InstallStopHandlers();
  morvessa::tools::LoopbackListener listener;
  std::string error;
  if (!listener.Open(port, error)) {
    std::fprintf(stderr, "morvessa-demo-server: %s\n", error.c_str());
    return 1;
  }
  std::printf("listening on http://127.0.0.1:%d (%zu repairs)\n", listener.Port(), records.size());
  std::fflush(stdout);

  listener.Serve(
      [&records](const std::string& method, const std::string& target) {
        HttpAnswer answer{200, "text/html; charset=gb2312", {}};
        const char* outcome = "not found";
        if (method != "GET") {
          answer = {405, "text/plain", "only GET is served\n"};
          outcome = "refused";
        } else if (const auto* record = FindRecord(records, target)) {
          answer.body = morvessa::tools::BuildRepairPage(*record);
          outcome = "found";
        } else {
          answer.body = morvessa::NotFoundAnswer();
        }
        std::printf("%s %s -> %s\n", morvessa::tools::PrintableBytes(method).c_str(),
                    morvessa::tools::PrintableBytes(target).c_str(), outcome);
        std::fflush(stdout);
        return answer;
      },
      stopRequested);
  return 0;
}
