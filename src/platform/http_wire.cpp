#include "platform/http_wire.h"

namespace morvessa::platform {
namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string EncodeRequestTarget(const std::string& objectName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string target;
  target.reserve(objectName.size());
  for (const char c : objectName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      target += '%';
      target += kHex[byte >> 4];
      target += kHex[byte & 0x0F];
    } else {
      target += c;
    }
  }
  return target;
}

std::vector<std::string> HeaderBlockLines(const std::string& headerBlock) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : headerBlock) {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string ProxyForScheme(const std::string& proxyList, const std::string& scheme) {
  std::string entry;
  const std::string wanted = LowerAscii(scheme);
  // One pass over the list; a separator (or the end) completes an entry.
  for (std::size_t i = 0; i <= proxyList.size(); ++i) {
    const char c = i < proxyList.size() ? proxyList[i] : ';';
    if (c != ' ' && c != '\t' && c != ';') {
      entry += c;
      continue;
    }
    if (entry.empty()) continue;
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) return entry;
    if (LowerAscii(entry.substr(0, equals)) == wanted) return entry.substr(equals + 1);
    entry.clear();
  }
  return {};
}

}  // namespace morvessa::platform
