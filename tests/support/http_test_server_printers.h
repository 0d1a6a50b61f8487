// Readable test output for the HTTP test server's records: a failed
// expectation shows the request as it arrived, e.g.
//   EXPECT_EQ(request.Header("Cookie"), "a=1") << request;
#pragma once

#include <ostream>

#include "support/http_test_server.h"

namespace morvessa::testing {

std::ostream& operator<<(std::ostream& out, const RecordedRequest& request);

}  // namespace morvessa::testing
