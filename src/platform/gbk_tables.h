// Lookup tables between code page 936 and UTF-16, filled once from ICU, for
// the conversions on the hot path (whole pages into the regular-expression
// engine, match texts back out). They answer only for what ICU maps one to
// one; everything else is left to ICU, so the results never differ from it.
#pragma once

#include <array>
#include <cstdint>

namespace morvessa::platform {

class GbkTables {
 public:
  // The tables of the calling process, built on first use; immutable after.
  static const GbkTables& Get();

  // The UTF-16 unit of the double-byte character lead+trail, or 0 when ICU
  // must decide (an undefined pair, a byte that is no lead byte).
  char16_t Decode(unsigned char lead, unsigned char trail) const {
    return lead >= 0x81 && lead <= 0xFE ? decode_[DecodeIndex(lead, trail)] : u'\0';
  }

  // The code page 936 form of a non-ASCII unit: 0 when ICU must decide, a
  // value below 0x100 for a single byte (0x80 for the euro sign), else lead
  // byte * 256 + trail byte.
  std::uint16_t Encode(char16_t unit) const { return encode_[unit]; }

 private:
  GbkTables();
  static std::size_t DecodeIndex(int lead, int trail) {
    return static_cast<std::size_t>((lead - 0x81) * 256 + trail);
  }

  std::array<char16_t, 126 * 256> decode_{};
  std::array<std::uint16_t, 65536> encode_{};
};

}  // namespace morvessa::platform
