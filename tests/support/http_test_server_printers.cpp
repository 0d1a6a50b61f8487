#include "support/http_test_server_printers.h"

#include <gtest/gtest.h>

namespace morvessa::testing {

void PrintTo(const RecordedRequest& request, std::ostream* out) {
  // The raw bytes, quoted and escaped by the framework, so that CR, LF and
  // non-ASCII bytes stay visible.
  *out << "request on connection " << request.connection << ": "
       << ::testing::PrintToString(request.raw);
}

}  // namespace morvessa::testing
