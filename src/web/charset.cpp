#include "web/charset.h"

#include <string_view>

#include "platform/codepage.h"

namespace morvessa {

ByteBuffer Utf8ToWide(const ByteBuffer& bytes) {
  const std::string_view input(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const int units = platform::MultiByteToWide(platform::CodePage::Utf8, input, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  platform::MultiByteToWide(platform::CodePage::Utf8, input, wide.data(), units);
  ByteBuffer out = BlankBytes(2 * units);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    out[2 * i] = static_cast<std::uint8_t>(wide[i] & 0xFF);
    out[2 * i + 1] = static_cast<std::uint8_t>(wide[i] >> 8);
  }
  return out;
}

ByteBuffer Utf8ToGbk(const ByteBuffer& bytes) {
  const ByteBuffer wideBytes = Utf8ToWide(bytes);
  const std::size_t units = wideBytes.size() / 2;
  std::u16string wide(units, u'\0');
  for (std::size_t i = 0; i < units; ++i) {
    wide[i] = static_cast<char16_t>(wideBytes[2 * i] | (wideBytes[2 * i + 1] << 8));
  }
  constexpr bool kCompositeCheck = true;
  const int size = platform::WideToMultiByte(platform::CodePage::Gbk, kCompositeCheck, wide, nullptr, 0);
  if (size <= 0) return {};
  ByteBuffer out = BlankBytes(size);
  platform::WideToMultiByte(platform::CodePage::Gbk, kCompositeCheck, wide, reinterpret_cast<char*>(out.data()), size);
  return out;
}

}  // namespace morvessa
