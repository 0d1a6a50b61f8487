// Validation of UTF-8 input from the command line and from records files,
// which the code-page layer would otherwise turn silently into U+FFFD.
#pragma once

#include <string_view>

namespace morvessa::tools {

// True when `text` is well-formed UTF-8: no stray continuation bytes, no
// truncated, overlong or surrogate sequences, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace morvessa::tools
