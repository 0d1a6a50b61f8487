#include "tools/query_cli_options.h"

namespace morvessa::tools {
namespace {

// A server address is a host name or address, optionally with ":PORT"; it is
// put into the URL as it is, so anything that would change the URL's shape
// (a path, a query, user information, blanks, control bytes) is refused.
bool IsPlausibleServer(const std::string& server) {
  if (server.empty()) return false;
  for (const char c : server) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '/' || c == '?' || c == '#' || c == '@' || c == '\\') return false;
  }
  return true;
}

}  // namespace

bool ParseQueryCliOptions(const std::vector<std::string>& args, QueryCliOptions& options, std::string& error) {
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--server" || arg.rfind("--server=", 0) == 0) {
      std::string value;
      if (arg == "--server") {
        if (i + 1 == args.size()) {
          error = "--server needs a value (HOST or HOST:PORT)";
          return false;
        }
        value = args[++i];
      } else {
        value = arg.substr(9);
      }
      if (!IsPlausibleServer(value)) {
        error = "--server: \"" + value + "\" is not HOST or HOST:PORT";
        return false;
      }
      options.server = value;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  // Any help request anywhere has already returned; now the two texts.
  if (positional.size() != 2) {
    error = "expected LOT and PHONE, got " + std::to_string(positional.size()) + " argument(s)";
    return false;
  }
  options.lot = positional[0];
  options.phone = positional[1];
  return true;
}

const char* QueryCliHelp() {
  return R"(Usage: morvessa-query [--json] [--server HOST[:PORT]] LOT PHONE

Asks the repair-tracking server for the repair with the given LOT number and
the last six digits of the registered phone number, exactly as the window's
query button does, and prints the answer.

Arguments:
  LOT                  the repair LOT number, put into the URL as typed:
                       nothing is trimmed, "&" stays "&" (so it starts a
                       further query key), and only bytes that HTTP cannot
                       carry, such as blanks, are escaped on the wire
  PHONE                the last six digits of the phone number; fewer than
                       six bytes are refused, more are sent in full
  Both are read as UTF-8 and converted to GBK, the encoding the server uses.
  Use "--" before them when the LOT starts with "-".

Options:
  --json               print one JSON object instead of lines (see below)
  --server HOST[:PORT] the server to ask; default: the MORVESSA_SERVER
                       environment variable when set, else the maker's server
  -h, --help           print this text and exit

Plain output (UTF-8): the summary line, then one line per progress entry,
date and progress text separated by a tab. A message goes to standard error
as its title, ": " and its text, with --json too.

JSON output: exactly one object on standard output,
  {"summary": SUMMARY, "rows": [{"date": ..., "progress": ...}, ...],
   "message": null or {"title": ..., "text": ...}}
where SUMMARY is the last summary line written, or null when none was.

Exit status:
  0  at least one progress entry was shown
  1  the query ended with no entry and no message (no record in the page,
     a page in another layout, or no answer from the server)
  2  a message about the inputs (LOT empty, phone shorter than six bytes),
     a command line that is not valid, or an argument that is not valid
     UTF-8 or holds a character GBK cannot write; nothing is sent then
  3  the server answered that it has no record of this LOT and phone
)";
}

}  // namespace morvessa::tools
