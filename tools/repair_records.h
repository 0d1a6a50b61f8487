// The repairs the stand-in server knows, read from a UTF-8 text file.
//
// Format, one item per line (lines end in LF or CR LF):
//
//   # a comment; blank lines are ignored too
//   repair: LOT | PHONE | SUMMARY1 | SUMMARY2 | SUMMARY3
//   entry: DATE | PROGRESS
//   entry: DATE | PROGRESS
//
// A "repair:" line starts a repair; the "entry:" lines after it are its
// progress entries, in page order. Pieces are separated by "|" and lose the
// blanks at both ends; blanks inside a piece stay, so a LOT may hold one. A
// progress text is served as written: the client shows an entry only when
// its text holds "。", so leave it out to show an entry the client skips.
// PHONE is compared with the request's Param exactly. Every character must
// have a GBK form: the server speaks GBK only.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "tools/repair_page.h"

namespace morvessa::tools {

// Keyed by (LOT, PHONE), both GBK.
using RepairRecords = std::map<std::pair<Text, Text>, RepairRecord>;

// Parses `utf8Content`; the texts are converted to GBK. On a malformed line,
// returns false and describes it in `error` ("line N: ...").
bool ParseRepairRecords(const std::string& utf8Content, RepairRecords& records, std::string& error);

// Reads and parses the file at `path`; false with `error` set when the file
// cannot be read or is malformed.
bool LoadRepairRecords(const std::string& path, RepairRecords& records, std::string& error);

}  // namespace morvessa::tools
