#include "support/http_test_server_printers.h"

#include <gtest/gtest.h>

namespace morvessa::testing {

std::ostream& operator<<(std::ostream& out, const RecordedRequest& request) {
  // The raw bytes, quoted and escaped by the framework, so that CR, LF and
  // non-ASCII bytes stay visible.
  return out << "request on connection " << request.connection << ": "
             << ::testing::PrintToString(request.raw);
}

}  // namespace morvessa::testing
