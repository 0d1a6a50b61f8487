// Code-page conversion layer: UTF-8 and code page 936 (GBK) to and from UTF-16.
//
// The two Windows-shaped calls answer with the number of code units (or bytes)
// that the conversion yields when no output buffer is given, and convert into
// the buffer otherwise, as MultiByteToWideChar and WideCharToMultiByte do.
// Conversion never fails on content:
//  - an ill-formed UTF-8 sequence becomes U+FFFD;
//  - a GBK byte sequence that code page 936 does not define becomes U+FFFD;
//  - a character that code page 936 lacks becomes "?" (0x3F);
//  - with `compositeCheck`, a base letter followed by combining marks is
//    composed (NFC) before it is mapped.
#pragma once

#include <string>
#include <string_view>

namespace morvessa::platform {

enum class CodePage { Gbk, Utf8 };

// Returns the number of UTF-16 units of the conversion of `input`. When `out`
// is not null, also writes up to `outCapacity` of them to `out` and returns the
// number written (0 when the buffer is too small, as the Windows call does).
int MultiByteToWide(CodePage codePage, std::string_view input, char16_t* out, int outCapacity);

// Returns the number of bytes of the conversion of `input` into `codePage`;
// writes them to `out` when it is not null, with the same rules as above.
int WideToMultiByte(CodePage codePage, bool compositeCheck, std::u16string_view input, char* out,
                    int outCapacity);

// Whole-string forms of the calls above.
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16, bool compositeCheck = false);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace morvessa::platform
