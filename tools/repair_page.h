// The result page of the repair-tracking server, as the stand-in server
// answers it and as tests and benchmarks feed it to the query: GBK, lines
// ending in CR LF, one summary row and one block per progress entry.
#pragma once

#include <vector>

#include "textops/text.h"

namespace morvessa::tools {

struct ProgressEntry {
  Text date;      // e.g. "2026-11-02 10:15:00"
  Text progress;  // ends with "。" when the client is to show it
};

struct RepairRecord {
  // The three cells of the summary row, in page order.
  Text summary1;
  Text summary2;
  Text summary3;
  std::vector<ProgressEntry> entries;  // in page order
};

// The whole page for `record`. All texts are GBK and are written as given,
// without HTML escaping, as the server does.
Text BuildRepairPage(const RepairRecord& record);

}  // namespace morvessa::tools
