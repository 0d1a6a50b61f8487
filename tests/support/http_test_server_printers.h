// Readable test output for the HTTP test server's records: a failed
// expectation on a RecordedRequest shows the request as it arrived.
#pragma once

#include <ostream>

#include "support/http_test_server.h"

namespace morvessa::testing {

void PrintTo(const RecordedRequest& request, std::ostream* out);

}  // namespace morvessa::testing
