// The query command: asks the repair-tracking server for the record of the
// LOT and phone digits in the window's edit boxes and shows the answer.
#pragma once

#include "app/main_window.h"
#include "textops/text.h"

namespace morvessa {

// The repair-tracking server's address used when MORVESSA_SERVER is not set.
inline constexpr const char* kDefaultQueryServer = "www.hasee.com";

// The server address (HOST or HOST:PORT): the environment variable
// MORVESSA_SERVER when it is set and not empty, else kDefaultQueryServer.
Text QueryServerFromEnvironment();

// "http://" + server + the path of the repair-tracking page and its "LOT=" key.
Text QueryUrlPrefix(const Text& server);

// The complete page by which the server says that no record exists.
const Text& NotFoundAnswer();

// The regular expression that finds one progress entry: group 1 is the date,
// group 2 the progress text up to and including the first "。".
const Text& ProgressPattern();

// One run of the query against `window`, asking `server`.
void QueryCommand(MainWindow& window, const Text& server);

}  // namespace morvessa
