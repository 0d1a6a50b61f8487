// The query command: asks the repair-tracking server for the record of the
// LOT and phone digits in the window's edit boxes and shows the answer.
#pragma once

#include "app/main_window.h"
#include "textops/text.h"

namespace morvessa {

class RegexObject;

// The repair-tracking server's address used when MORVESSA_SERVER is not set.
inline constexpr const char* kDefaultQueryServer = "www.hasee.com";

// The path of the repair-tracking page on that server. The stand-in server
// of tools/ serves the same path, so it is named here once.
inline constexpr const char* kQueryPagePath = "/RmaTrace/GK_Search_hasee.Asp";

// The server address (HOST or HOST:PORT): the environment variable
// MORVESSA_SERVER when it is set and not empty, else kDefaultQueryServer.
Text QueryServerFromEnvironment();

// "http://" + server + kQueryPagePath + "?LOT=".
Text QueryUrlPrefix(const Text& server);

// The complete page by which the server says that no record exists.
const Text& NotFoundAnswer();

// The message a run shows when the page is NotFoundAnswer (title "查询失败").
const Text& NotFoundMessage();

// The regular expression that finds one progress entry: group 1 is the date,
// group 2 the progress text up to and including the first "。".
const Text& ProgressPattern();

// One run of the query against `window`, asking `server`.
void QueryCommand(MainWindow& window, const Text& server);

// The last steps of a run, once a page other than NotFoundAnswer has arrived:
// cuts the three summary fields out of `page`, runs ProgressPattern over it
// with `regex`, appends one row per entry and writes the summary line after
// each. Leaves the caption alone when no entry matches.
void ShowRepairRecord(MainWindow& window, RegexObject& regex, const Text& page);

}  // namespace morvessa
