// JSON string literals for the client's --json output.
#pragma once

#include <string>
#include <string_view>

namespace morvessa::tools {

// `utf8` as a JSON string literal, quotes included: the quote, the backslash
// and the control characters are escaped, everything else is copied as is.
std::string JsonString(std::string_view utf8);

}  // namespace morvessa::tools
