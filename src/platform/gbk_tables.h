// Lookup tables between code page 936 and UTF-16, for the conversions on the
// hot path (whole pages into the regular-expression engine, match texts back
// out). Every entry is what ICU itself answers for that one character, so the
// results never differ from converting with ICU.
//
// The tables are filled from ICU one part at a time, when a character of that
// part is first looked up: a short text touches a few parts, and a process
// that converts little pays little at start-up. Lookups may come from any
// thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace morvessa::platform {

class GbkTables {
 public:
  // The tables of the calling process.
  static GbkTables& Get();

  // The UTF-16 unit of the double-byte character lead+trail, or 0 when ICU
  // must decide (an undefined pair, a byte that is no lead byte).
  char16_t Decode(unsigned char lead, unsigned char trail) {
    if (lead < kFirstLead || lead > kLastLead) return u'\0';
    const std::size_t row = lead - kFirstLead;
    if (!decodeRowReady_[row].load(std::memory_order_acquire)) FillDecodeRow(row);
    return decode_[row * 256 + trail];
  }

  // The code page 936 form of a unit of 0x80 or more: 0 when ICU must decide
  // (a surrogate), a value below 0x100 for a single byte (0x80 for the euro
  // sign, "?" for a character the code page lacks), else lead byte * 256 +
  // trail byte.
  std::uint16_t Encode(char16_t unit) {
    const std::size_t block = unit >> 8;
    if (!encodeBlockReady_[block].load(std::memory_order_acquire)) FillEncodeBlock(block);
    return encode_[unit];
  }

 private:
  static constexpr unsigned char kFirstLead = 0x81;
  static constexpr unsigned char kLastLead = 0xFE;

  GbkTables() = default;
  void FillDecodeRow(std::size_t row);
  void FillEncodeBlock(std::size_t block);

  std::mutex fillMutex_;
  std::array<std::atomic<bool>, kLastLead - kFirstLead + 1> decodeRowReady_{};
  std::array<std::atomic<bool>, 256> encodeBlockReady_{};
  std::array<char16_t, (kLastLead - kFirstLead + 1) * 256> decode_{};
  std::array<std::uint16_t, 65536> encode_{};
};

}  // namespace morvessa::platform
