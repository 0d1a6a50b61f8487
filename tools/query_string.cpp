#include "tools/query_string.h"

#include <cstdio>

namespace morvessa::tools {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> RequestTarget::Value(std::string_view key) const {
  for (const auto& [itemKey, value] : query) {
    if (EqualsIgnoringAsciiCase(itemKey, key)) return value;
  }
  return std::nullopt;
}

std::string PercentDecode(std::string_view text, bool plusIsBlank) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else if (text[i] == '+' && plusIsBlank) {
      out += ' ';
    } else {
      out += text[i];
    }
  }
  return out;
}

RequestTarget ParseRequestTarget(std::string_view target) {
  RequestTarget parsed;
  const auto question = target.find('?');
  parsed.path = PercentDecode(target.substr(0, question), /*plusIsBlank=*/false);
  if (question == std::string_view::npos) return parsed;
  std::string_view rest = target.substr(question + 1);
  while (true) {
    const auto amp = rest.find('&');
    const std::string_view item = rest.substr(0, amp);
    if (!item.empty()) {
      const auto equals = item.find('=');
      parsed.query.emplace_back(PercentDecode(item.substr(0, equals), true),
                                equals == std::string_view::npos ? std::string()
                                                                 : PercentDecode(item.substr(equals + 1), true));
    }
    if (amp == std::string_view::npos) break;
    rest = rest.substr(amp + 1);
  }
  return parsed;
}

std::string PrintableBytes(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      out += escaped;
    }
  }
  return out;
}

}  // namespace morvessa::tools
