#include "gui/qt_text.h"

#include "platform/codepage.h"

namespace morvessa::gui {

QString ToQString(const Text& gbk) {
  const std::u16string utf16 = platform::GbkToUtf16(gbk);
  return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size()));
}

Text ToText(const QString& text) {
  return platform::Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                  static_cast<std::size_t>(text.size())));
}

int GbkLength(const QString& text) { return static_cast<int>(ToText(text).size()); }

}  // namespace morvessa::gui
