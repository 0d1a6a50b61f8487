#include "tools/repair_records.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "textops/gbk.h"
#include "tools/utf8_check.h"

namespace morvessa::tools {
namespace {

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitPieces(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  while (true) {
    const auto bar = text.find('|', from);
    pieces.push_back(TrimBlanks(text.substr(from, bar == std::string::npos ? std::string::npos : bar - from)));
    if (bar == std::string::npos) return pieces;
    from = bar + 1;
  }
}

// True when `line` starts with `keyword` and a colon; `rest` gets what follows.
// `utf8` in GBK; false when a character has no GBK form (the conversion
// would serve "?" in its place).
bool ToGbk(const std::string& utf8, Text& gbk) {
  gbk = Gbk(utf8);
  return GbkToUtf8(gbk) == utf8;
}

bool TakeKeyword(const std::string& line, const std::string& keyword, std::string& rest) {
  if (line.compare(0, keyword.size(), keyword) != 0 || line.size() <= keyword.size() ||
      line[keyword.size()] != ':') {
    return false;
  }
  rest = line.substr(keyword.size() + 1);
  return true;
}

}  // namespace

bool ParseRepairRecords(const std::string& utf8Content, RepairRecords& records, std::string& error) {
  std::istringstream input(utf8Content);
  std::string line;
  int lineNumber = 0;
  RepairRecord* current = nullptr;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (std::getline(input, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    if (!IsValidUtf8(trimmed)) return fail("not valid UTF-8");
    std::string rest;
    std::vector<Text> pieces;
    auto toGbk = [&pieces](const std::vector<std::string>& utf8Pieces) {
      pieces.assign(utf8Pieces.size(), Text());
      for (std::size_t i = 0; i < utf8Pieces.size(); ++i) {
        if (!ToGbk(utf8Pieces[i], pieces[i])) return false;
      }
      return true;
    };
    if (TakeKeyword(trimmed, "repair", rest)) {
      if (!toGbk(SplitPieces(rest))) return fail("a character that GBK cannot write");
      if (pieces.size() != 5) return fail("a repair line needs LOT | PHONE | SUMMARY1 | SUMMARY2 | SUMMARY3");
      if (pieces[0].empty() || pieces[1].empty()) return fail("LOT and PHONE must not be empty");
      const auto key = std::make_pair(pieces[0], pieces[1]);
      if (records.count(key) != 0) return fail("this LOT and PHONE are listed twice");
      current = &records[key];
      current->summary1 = pieces[2];
      current->summary2 = pieces[3];
      current->summary3 = pieces[4];
    } else if (TakeKeyword(trimmed, "entry", rest)) {
      if (current == nullptr) return fail("an entry line before the first repair line");
      if (!toGbk(SplitPieces(rest))) return fail("a character that GBK cannot write");
      if (pieces.size() != 2) return fail("an entry line needs DATE | PROGRESS");
      current->entries.push_back({pieces[0], pieces[1]});
    } else {
      return fail("expected \"repair:\", \"entry:\", a comment or a blank line");
    }
  }
  return true;
}

bool LoadRepairRecords(const std::string& path, RepairRecords& records, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  if (!ParseRepairRecords(content.str(), records, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace morvessa::tools
