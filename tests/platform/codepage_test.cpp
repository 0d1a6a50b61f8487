// The table-driven GBK conversions must give exactly what ICU gives for the
// whole text, whatever the bytes: compare them on every double-byte
// candidate and on random byte soups full of invalid sequences.
#include <unicode/ucnv.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/codepage.h"

namespace morvessa::platform {
namespace {

class IcuReference {
 public:
  IcuReference() {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open("windows-936", &status);
    ucnv_setSubstChars(converter_, "?", 1, &status);
  }
  ~IcuReference() { ucnv_close(converter_); }

  std::u16string Decode(const std::string& bytes) {
    std::u16string out(bytes.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter_, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(n) : 0);
    return out;
  }

  std::string Encode(const std::u16string& units) {
    std::string out(units.size() * 2 + 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter_, out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(units.data()),
                                      static_cast<int32_t>(units.size()), &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(n) : 0);
    return out;
  }

 private:
  UConverter* converter_ = nullptr;
};

TEST(GbkConversionTest, EveryPairDecodesAndEncodesAsIcuDoes) {
  IcuReference icu;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string decoded = GbkToUtf16(pair);
      ASSERT_EQ(decoded, icu.Decode(pair)) << std::hex << lead << " " << trail;
      ASSERT_EQ(Utf16ToGbk(decoded), icu.Encode(decoded)) << std::hex << lead << " " << trail;
    }
  }
}

TEST(GbkConversionTest, RandomTextsConvertAsIcuDoes) {
  IcuReference icu;
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> unit(0, 0xFFFF);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(static_cast<std::size_t>(byte(random) % 40), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(random));
    ASSERT_EQ(GbkToUtf16(bytes), icu.Decode(bytes)) << round;

    std::u16string units(static_cast<std::size_t>(byte(random) % 40), u'\0');
    for (char16_t& u : units) u = static_cast<char16_t>(unit(random));
    ASSERT_EQ(Utf16ToGbk(units), icu.Encode(units)) << round;
  }
}

}  // namespace
}  // namespace morvessa::platform
