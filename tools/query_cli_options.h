// The command line of morvessa-query.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvessa::tools {

struct QueryCliOptions {
  bool help = false;
  bool json = false;
  std::optional<std::string> server;  // HOST or HOST:PORT, when given
  std::string lot;                    // UTF-8, as typed
  std::string phone;                  // UTF-8, as typed
};

// Parses the arguments after the program name. False with `error` set when
// they do not form a valid command line; "--help" wins over everything else.
bool ParseQueryCliOptions(const std::vector<std::string>& args, QueryCliOptions& options, std::string& error);

// The text --help prints.
const char* QueryCliHelp();

}  // namespace morvessa::tools
