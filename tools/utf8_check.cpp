#include "tools/utf8_check.h"

namespace morvessa::tools {

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The length of the sequence and the range its second byte must lie in,
    // which rules out overlong forms, surrogates and values past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead == 0xE0) {
      length = 3, low = 0xA0;
    } else if (lead == 0xED) {
      length = 3, high = 0x9F;
    } else if (lead >= 0xE1 && lead <= 0xEF) {
      length = 3;
    } else if (lead == 0xF0) {
      length = 4, low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
      length = 4;
    } else if (lead == 0xF4) {
      length = 4, high = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next < 0x80 || next > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace morvessa::tools
