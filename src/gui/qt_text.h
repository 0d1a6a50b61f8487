// Conversion between the program's GBK texts and the UTF-16 strings of Qt.
#pragma once

#include <QString>

#include "textops/text.h"

namespace morvessa::gui {

// GBK bytes as a QString; byte sequences that GBK does not define become U+FFFD.
QString ToQString(const Text& gbk);

// A QString as GBK bytes; characters that GBK lacks become "?".
Text ToText(const QString& text);

// The number of bytes `text` takes in GBK: a Chinese character counts two.
int GbkLength(const QString& text);

}  // namespace morvessa::gui
