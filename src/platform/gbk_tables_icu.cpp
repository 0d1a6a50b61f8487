#include <unicode/ucnv.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gbk_tables.h"

namespace morvessa::platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

constexpr char16_t kSeparator = u'\n';  // maps to itself and is never a trail byte

struct Candidate {
  std::uint16_t bytes;  // as GbkTables::Encode gives them
};

}  // namespace

const GbkTables& GbkTables::Get() {
  static const GbkTables tables;
  return tables;
}

// Both tables come from two bulk conversions instead of one call per
// character, which keeps the start-up cost of every process small:
//  1. every candidate (each lead byte with each trail byte 40..FE, and the
//     single bytes 80 and FF), each followed by LF, is decoded at once; a
//     candidate that yields exactly one unit before its LF is a character;
//  2. those units, each followed by LF, are encoded at once; a unit that
//     comes back as exactly its candidate's bytes goes into the encode table.
GbkTables::GbkTables() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("windows-936", &status));
  if (U_FAILURE(status)) return;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);

  std::vector<Candidate> candidates;
  std::string encoded;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      candidates.push_back({static_cast<std::uint16_t>(lead * 256 + trail)});
      encoded += {static_cast<char>(lead), static_cast<char>(trail), static_cast<char>(kSeparator)};
    }
  }
  for (int single : {0x80, 0xFF}) {
    candidates.push_back({static_cast<std::uint16_t>(single)});
    encoded += {static_cast<char>(single), static_cast<char>(kSeparator)};
  }

  std::u16string decoded(encoded.size(), u'\0');
  status = U_ZERO_ERROR;
  const int32_t units = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(decoded.data()),
                                      static_cast<int32_t>(decoded.size()), encoded.data(),
                                      static_cast<int32_t>(encoded.size()), &status);
  if (U_FAILURE(status)) return;
  decoded.resize(static_cast<std::size_t>(units));

  // Step 1: one unit per candidate, or none.
  std::vector<char16_t> unitOf(candidates.size(), u'\0');
  std::size_t at = 0;
  for (std::size_t c = 0; c < candidates.size() && at < decoded.size(); ++c) {
    const std::size_t end = decoded.find(kSeparator, at);
    if (end == std::u16string::npos) break;
    if (end - at == 1) unitOf[c] = decoded[at];
    at = end + 1;
  }
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const std::uint16_t bytes = candidates[c].bytes;
    if (bytes >= 0x100) decode_[DecodeIndex(bytes >> 8, bytes & 0xFF)] = unitOf[c];
  }

  // Step 2: the units that encode back to their own bytes.
  std::u16string roundTrip;
  std::vector<std::size_t> candidateOf;
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    if (unitOf[c] < 0x80 || unitOf[c] == u'\uFFFD') continue;
    roundTrip += unitOf[c];
    roundTrip += kSeparator;
    candidateOf.push_back(c);
  }
  std::string back(roundTrip.size() * 2, '\0');
  status = U_ZERO_ERROR;
  const int32_t bytes = ucnv_fromUChars(converter.get(), back.data(), static_cast<int32_t>(back.size()),
                                        reinterpret_cast<const UChar*>(roundTrip.data()),
                                        static_cast<int32_t>(roundTrip.size()), &status);
  if (U_FAILURE(status)) return;
  back.resize(static_cast<std::size_t>(bytes));
  at = 0;
  for (const std::size_t c : candidateOf) {
    const std::size_t end = back.find(static_cast<char>(kSeparator), at);
    if (end == std::string::npos) break;
    const std::uint16_t expected = candidates[c].bytes;
    const std::string_view got(back.data() + at, end - at);
    const bool same = expected >= 0x100
                          ? got.size() == 2 && static_cast<unsigned char>(got[0]) == (expected >> 8) &&
                                static_cast<unsigned char>(got[1]) == (expected & 0xFF)
                          : got.size() == 1 && static_cast<unsigned char>(got[0]) == expected;
    if (same) encode_[unitOf[c]] = expected;
    at = end + 1;
  }
}

}  // namespace morvessa::platform
