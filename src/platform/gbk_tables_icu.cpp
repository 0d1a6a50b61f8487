#include <unicode/ucnv.h>

#include <memory>
#include <string>

#include "platform/gbk_tables.h"

namespace morvessa::platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Each character of a part goes to ICU followed by LF, all in one call: LF
// maps to itself, is never a trail byte and always starts a character of its
// own, so the answer splits cleanly at the LFs into the answers for the
// single characters.
constexpr char kSeparator = '\n';

Converter OpenGbk() {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open("windows-936", &status));
  if (U_FAILURE(status)) return nullptr;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

}  // namespace

GbkTables& GbkTables::Get() {
  static GbkTables tables;
  return tables;
}

// Row of one lead byte: each trail byte 40..FE after it. A pair that yields
// exactly one unit is a character; anything else stays 0 for ICU to decide
// in context.
void GbkTables::FillDecodeRow(std::size_t row) {
  const std::lock_guard lock(fillMutex_);
  if (decodeRowReady_[row].load(std::memory_order_relaxed)) return;
  if (Converter converter = OpenGbk()) {
    const char lead = static_cast<char>(kFirstLead + row);
    std::string input;
    for (int trail = 0x40; trail <= 0xFE; ++trail) input += {lead, static_cast<char>(trail), kSeparator};
    std::u16string units(input.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t count = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(units.data()),
                                        static_cast<int32_t>(units.size()), input.data(),
                                        static_cast<int32_t>(input.size()), &status);
    if (U_SUCCESS(status)) {
      units.resize(static_cast<std::size_t>(count));
      std::size_t at = 0;
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        const std::size_t end = units.find(static_cast<char16_t>(kSeparator), at);
        if (end == std::u16string::npos) break;
        if (end - at == 1) decode_[row * 256 + static_cast<std::size_t>(trail)] = units[at];
        at = end + 1;
      }
    }
  }
  decodeRowReady_[row].store(true, std::memory_order_release);
}

// Block of 256 units: the bytes ICU gives for each unit alone, which are the
// bytes it gives for that unit anywhere (the code page has no shift states).
// Surrogates stay 0: only a pair of them makes a character.
void GbkTables::FillEncodeBlock(std::size_t block) {
  const std::lock_guard lock(fillMutex_);
  if (encodeBlockReady_[block].load(std::memory_order_relaxed)) return;
  const bool surrogates = block >= 0xD8 && block <= 0xDF;
  Converter converter = surrogates ? nullptr : OpenGbk();
  if (converter) {
    std::u16string input;
    for (std::size_t low = 0; low < 256; ++low) {
      input += static_cast<char16_t>(block * 256 + low);
      input += static_cast<char16_t>(kSeparator);
    }
    std::string bytes(input.size() * 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t count =
        ucnv_fromUChars(converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                        reinterpret_cast<const UChar*>(input.data()), static_cast<int32_t>(input.size()), &status);
    if (U_SUCCESS(status)) {
      bytes.resize(static_cast<std::size_t>(count));
      std::size_t at = 0;
      for (std::size_t low = 0; low < 256; ++low) {
        // The separator's own unit (in block 0) is ASCII and never looked up.
        const std::size_t end = bytes.find(kSeparator, at + (block == 0 && low == kSeparator ? 1 : 0));
        if (end == std::string::npos) break;
        const auto first = static_cast<unsigned char>(bytes[at]);
        const std::size_t unit = block * 256 + low;
        if (end - at == 1) encode_[unit] = first;
        if (end - at == 2) encode_[unit] = static_cast<std::uint16_t>(first * 256 + static_cast<unsigned char>(bytes[at + 1]));
        at = end + 1;
      }
    }
  }
  encodeBlockReady_[block].store(true, std::memory_order_release);
}

}  // namespace morvessa::platform
