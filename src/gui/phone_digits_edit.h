// The edit box for the last six phone digits (编辑框2).
//
// What the user types or pastes is held to six bytes of GBK (a Chinese
// character counts two). Typed printable characters other than the digits
// 0-9 and "-" are dropped without a sound; control keys (Backspace, Delete,
// the clipboard shortcuts) pass, so pasted text is not filtered, only cut to
// what fits. Text set by the program (setText) is neither limited nor
// filtered, and a text longer than six bytes can still be edited: deleting
// always works, only growing it past the limit is refused. Nothing is checked
// when the box loses the focus.
#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace morvessa::gui {

class PhoneDigitsEdit : public QLineEdit {
 public:
  static constexpr int kMaxBytes = 6;

  explicit PhoneDigitsEdit(QWidget* parent = nullptr);

  // Inserts the first line of the clipboard text in place of the selection,
  // as far as it fits into the limit without splitting a character.
  void pasteWithinLimit(QClipboard::Mode mode = QClipboard::Clipboard);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Bytes that may be inserted in place of the selection; 0 or less when the
  // text is already at or over the limit.
  int roomForInsertion() const;
  // Inserts the digits and minus signs of `typed` in place of the selection
  // when they fit; other characters are dropped, a text that does not fit is
  // refused as a whole.
  void insertTyped(const QString& typed);
};

}  // namespace morvessa::gui
