// GBK constants written readably in UTF-8 source.
//
//   static const Text kTitle = Gbk("错误");
//
// converts the UTF-8 literal to code page 936 once, where the constant is
// initialised. Characters that code page 936 lacks become "?".
#pragma once

#include <string_view>

#include "textops/text.h"

namespace morvessa {

Text Gbk(std::string_view utf8);

// The other way, for output to a UTF-8 terminal, log or test message.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace morvessa
