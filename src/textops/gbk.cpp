#include "textops/gbk.h"

#include "platform/codepage.h"

namespace morvessa {

Text Gbk(std::string_view utf8) { return platform::Utf16ToGbk(platform::Utf8ToUtf16(utf8)); }

std::string GbkToUtf8(std::string_view gbk) { return platform::Utf16ToUtf8(platform::GbkToUtf16(gbk)); }

}  // namespace morvessa
