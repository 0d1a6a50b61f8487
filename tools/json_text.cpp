#include "tools/json_text.h"

#include <cstdio>

namespace morvessa::tools {

std::string JsonString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace morvessa::tools
