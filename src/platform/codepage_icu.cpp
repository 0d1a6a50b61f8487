// Code-page conversion on ICU: converter "windows-936" (which ICU resolves to
// windows-936-2000) for GBK, "UTF-8" for UTF-8, Normalizer2 NFC for the
// composition check.
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codepage.h"
#include "platform/gbk_tables.h"

namespace morvessa::platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

const char* IcuName(CodePage codePage) { return codePage == CodePage::Gbk ? "windows-936" : "UTF-8"; }

Converter OpenConverter(CodePage codePage) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(IcuName(codePage), &status));
  if (U_FAILURE(status)) return nullptr;
  // Unmappable characters become "?" as the Windows default character does.
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

// Opening a converter costs more than converting a short text, and short
// texts (match groups, constants) are converted often; so each thread keeps
// one open converter per code page and resets it before every use.
UConverter* CachedConverter(CodePage codePage) {
  thread_local Converter gbk = OpenConverter(CodePage::Gbk);
  thread_local Converter utf8 = OpenConverter(CodePage::Utf8);
  UConverter* converter = codePage == CodePage::Gbk ? gbk.get() : utf8.get();
  if (converter != nullptr) ucnv_reset(converter);
  return converter;
}

bool IsAscii(std::u16string_view text) {
  for (const char16_t unit : text) {
    if (unit >= 0x80) return false;
  }
  return true;
}

// Plain ICU conversion of a whole input to UTF-16, with ICU's default
// callbacks (U+FFFD for every ill-formed or undefined sequence).
std::u16string IcuToUtf16(CodePage codePage, std::string_view input) {
  if (input.empty()) return {};
  UConverter* converter = CachedConverter(codePage);
  if (converter == nullptr) return {};
  std::u16string out(input.size() + 1, u'\0');  // never more units than bytes
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()),
                                  static_cast<int32_t>(out.size()), input.data(),
                                  static_cast<int32_t>(input.size()), &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// GBK to UTF-16 is on the hot path of every regular-expression scan, so the
// double-byte characters are looked up in GbkTables. Bytes below 0x80 map to
// themselves. Every other byte sequence the table does not cover (single high
// bytes, undefined pairs, a lone lead byte at the end) is handed to ICU as a
// whole segment that ends before the next byte below 0x40: such a byte is
// never a trail byte, so ICU's reading of the segment is the same as its
// reading of the whole text.
// Markup is mostly ASCII: widens the leading run of bytes below 0x80 of
// `bytes` into `out`, sixteen at a time where the processor allows, and
// returns how many it widened (it may stop a little before the run ends).
std::size_t WidenAsciiRun(const unsigned char* bytes, std::size_t size, char16_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (i + 16 <= size) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    if (_mm_movemask_epi8(block) != 0) break;  // a byte with its high bit set
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(block, zero));
    i += 16;
  }
#endif
  while (i + 8 <= size) {
    std::uint64_t block;
    std::memcpy(&block, bytes + i, sizeof block);
    if ((block & 0x8080808080808080ULL) != 0) break;
    for (std::size_t k = 0; k < 8; ++k) out[i + k] = static_cast<char16_t>(bytes[i + k]);
    i += 8;
  }
  return i;
}

std::u16string FastGbkToUtf16(std::string_view gbk) {
  GbkTables& tables = GbkTables::Get();
  std::u16string out(gbk.size(), u'\0');
  std::size_t written = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t size = gbk.size();
  std::size_t i = 0;
  while (i < size) {
    const std::size_t ascii = WidenAsciiRun(bytes + i, size - i, out.data() + written);
    i += ascii;
    written += ascii;
    if (i >= size) break;
    const unsigned char b = bytes[i];
    if (b < 0x80) {
      out[written++] = static_cast<char16_t>(b);
      ++i;
      continue;
    }
    if (i + 1 < size) {
      const char16_t unit = tables.Decode(b, bytes[i + 1]);
      if (unit != u'\0') {
        out[written++] = unit;
        i += 2;
        continue;
      }
    }
    std::size_t end = i + 1;
    while (end < size && bytes[end] >= 0x40) ++end;
    const std::u16string segment = IcuToUtf16(CodePage::Gbk, gbk.substr(i, end - i));
    if (written + segment.size() > out.size()) out.resize(written + segment.size());
    out.replace(written, segment.size(), segment);
    written += segment.size();
    i = end;
  }
  out.resize(written);
  return out;
}

std::u16string ComposeNfc(std::u16string_view input) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return std::u16string(input);
  std::u16string out(input.size() + 16, u'\0');
  int32_t n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(input.data()), static_cast<int32_t>(input.size()),
                               reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    status = U_ZERO_ERROR;
    out.assign(static_cast<std::size_t>(n), u'\0');
    n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(input.data()), static_cast<int32_t>(input.size()),
                         reinterpret_cast<UChar*>(out.data()), n, &status);
  }
  if (U_FAILURE(status)) return std::u16string(input);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string IcuFromUtf16(CodePage codePage, std::u16string_view input) {
  if (input.empty()) return {};
  if (IsAscii(input)) return std::string(input.begin(), input.end());  // same bytes in both code pages
  UConverter* converter = CachedConverter(codePage);
  if (converter == nullptr) return {};
  std::string out(input.size() * 4 + 4, '\0');  // at most 3 UTF-8 bytes or 2 GBK bytes a unit
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(input.data()), static_cast<int32_t>(input.size()),
                                    &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// UTF-16 to GBK the same way: ASCII and the characters of GbkTables
// directly, every run of other units (unmapped characters, surrogates) by ICU.
// Code page 936 has no shift states, so a run converts alone as it would in
// the whole text; keeping the run whole keeps surrogate pairs together.
std::string FastUtf16ToGbk(std::u16string_view utf16) {
  GbkTables& tables = GbkTables::Get();
  // Code page 936 takes at most two bytes for a unit (an unmapped one, or a
  // surrogate pair, becomes one "?"), so the output never outgrows this.
  std::string out(utf16.size() * 2, '\0');
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < utf16.size()) {
    const char16_t unit = utf16[i];
    if (unit < 0x80) {
      out[written++] = static_cast<char>(unit);
      ++i;
      continue;
    }
    if (const std::uint16_t bytes = tables.Encode(unit); bytes != 0) {
      if (bytes >= 0x100) out[written++] = static_cast<char>(bytes >> 8);
      out[written++] = static_cast<char>(bytes & 0xFF);
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < utf16.size() && utf16[end] >= 0x80 && tables.Encode(utf16[end]) == 0) ++end;
    const std::string segment = IcuFromUtf16(CodePage::Gbk, utf16.substr(i, end - i));
    out.replace(written, segment.size(), segment);
    written += segment.size();
    i = end;
  }
  out.resize(written);
  return out;
}

template <typename Unit>
int CopyOut(const std::basic_string<Unit>& converted, Unit* out, int outCapacity) {
  const auto needed = static_cast<int>(converted.size());
  if (out == nullptr) return needed;
  if (outCapacity < needed) return 0;
  std::copy(converted.begin(), converted.end(), out);
  return needed;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) { return FastGbkToUtf16(gbk); }

std::u16string Utf8ToUtf16(std::string_view utf8) { return IcuToUtf16(CodePage::Utf8, utf8); }

std::string Utf16ToGbk(std::u16string_view utf16, bool compositeCheck) {
  if (!compositeCheck || IsAscii(utf16)) return FastUtf16ToGbk(utf16);  // ASCII needs no composing
  return FastUtf16ToGbk(ComposeNfc(utf16));
}

std::string Utf16ToUtf8(std::u16string_view utf16) { return IcuFromUtf16(CodePage::Utf8, utf16); }

int MultiByteToWide(CodePage codePage, std::string_view input, char16_t* out, int outCapacity) {
  const std::u16string converted = codePage == CodePage::Gbk ? GbkToUtf16(input) : Utf8ToUtf16(input);
  return CopyOut(converted, out, outCapacity);
}

int WideToMultiByte(CodePage codePage, bool compositeCheck, std::u16string_view input, char* out, int outCapacity) {
  std::string converted;
  if (codePage == CodePage::Gbk) {
    converted = Utf16ToGbk(input, compositeCheck);
  } else {
    converted = compositeCheck ? Utf16ToUtf8(ComposeNfc(input)) : Utf16ToUtf8(input);
  }
  return CopyOut(converted, out, outCapacity);
}

}  // namespace morvessa::platform
