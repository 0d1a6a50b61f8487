// Conversion of UTF-8 response bodies, in the two steps of the Windows
// conversion calls: the size is asked first, then the conversion runs into a
// buffer of that size. Empty input gives empty output.
#pragma once

#include "textops/text.h"

namespace morvessa {

// The UTF-16 little-endian code units of the UTF-8 input, without terminator.
// Every ill-formed sequence becomes U+FFFD.
ByteBuffer Utf8ToWide(const ByteBuffer& bytes);

// The UTF-8 input re-encoded in code page 936, without terminator. A base
// letter followed by a combining mark is composed first; characters the code
// page lacks become "?".
ByteBuffer Utf8ToGbk(const ByteBuffer& bytes);

}  // namespace morvessa
