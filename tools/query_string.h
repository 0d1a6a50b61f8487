// The pieces of an HTTP request target, as the stand-in server reads them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvessa::tools {

struct RequestTarget {
  std::string path;  // before "?", percent-decoded
  // The "&"-separated items after "?", in order: key and value, both
  // percent-decoded with "+" read as a blank. An item without "=" has an
  // empty value.
  std::vector<std::pair<std::string, std::string>> query;

  // The value of the first item whose key equals `key` ignoring ASCII case.
  std::optional<std::string> Value(std::string_view key) const;
};

RequestTarget ParseRequestTarget(std::string_view target);

// "%XX" sequences become their byte and "+" a blank (when `plusIsBlank`);
// a "%" not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text, bool plusIsBlank);

// `bytes` for a log line: printable ASCII as it is, every other byte as %XX.
std::string PrintableBytes(std::string_view bytes);

}  // namespace morvessa::tools
