#include "gui/phone_digits_edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <limits>
#include <memory>

#include "gui/qt_text.h"

namespace morvessa::gui {
namespace {

bool IsAcceptedCharacter(QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; }

// A key press that produces a character of code 32 or above, other than DEL
// (which some platforms attach to the Delete key). Control characters, and
// so Backspace and the Ctrl shortcuts, are not typed characters here.
bool IsTypedCharacter(const QString& text) {
  return !text.isEmpty() && text.front().unicode() >= 32 && text.front().unicode() != 127;
}

// The longest start of `text` that takes at most `room` bytes of GBK, never
// ending inside a surrogate pair.
QString PrefixWithin(const QString& text, int room) {
  qsizetype end = 0;
  while (end < text.size()) {
    qsizetype next = end + 1;
    if (text.at(end).isHighSurrogate() && next < text.size() && text.at(next).isLowSurrogate()) {
      ++next;
    }
    if (GbkLength(text.left(next)) > room) {
      break;
    }
    end = next;
  }
  return text.left(end);
}

}  // namespace

PhoneDigitsEdit::PhoneDigitsEdit(QWidget* parent) : QLineEdit(parent) {
  // The six-byte limit is applied here, in bytes; Qt's own limit counts
  // characters and would also cut text set by the program.
  setMaxLength(std::numeric_limits<int>::max());
  // Dropped text would bypass both the filter and the limit.
  setAcceptDrops(false);
}

int PhoneDigitsEdit::roomForInsertion() const {
  return kMaxBytes - (GbkLength(text()) - GbkLength(selectedText()));
}

void PhoneDigitsEdit::insertTyped(const QString& typed) {
  QString accepted;
  for (const QChar c : typed) {
    if (IsAcceptedCharacter(c)) {
      accepted += c;
    }
  }
  if (!accepted.isEmpty() && GbkLength(accepted) <= roomForInsertion()) {
    insert(accepted);
  }
}

void PhoneDigitsEdit::pasteWithinLimit(QClipboard::Mode mode) {
  if (isReadOnly()) {
    return;
  }
  QString clip = QGuiApplication::clipboard()->text(mode);
  // A single-line box takes the clipboard text up to its first line break.
  for (qsizetype i = 0; i < clip.size(); ++i) {
    if (clip.at(i) == u'\r' || clip.at(i) == u'\n') {
      clip.truncate(i);
      break;
    }
  }
  const QString fitting = PrefixWithin(clip, roomForInsertion());
  if (!fitting.isEmpty()) {
    insert(fitting);
  }
}

void PhoneDigitsEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    pasteWithinLimit();
    event->accept();
    return;
  }
  if (IsTypedCharacter(event->text()) &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
    insertTyped(event->text());
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void PhoneDigitsEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Characters composed by an input method are typed characters too: only
  // the committed digits and minus signs that fit are kept.
  const QString committed = event->commitString();
  QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
  QLineEdit::inputMethodEvent(&withoutCommit);
  if (!committed.isEmpty()) {
    insertTyped(committed);
  }
  event->accept();
}

void PhoneDigitsEdit::contextMenuEvent(QContextMenuEvent* event) {
  // The menu's Paste entry goes through the same limit as Ctrl+V. Qt names
  // the entry with the same translated text as here, followed by a tab and
  // the shortcut where shortcuts are shown.
  const QString pasteText = QCoreApplication::translate("QLineEdit", "&Paste");
  const std::unique_ptr<QMenu> menu(createStandardContextMenu());
  for (QAction* action : menu->actions()) {
    if (action->text().section(u'\t', 0, 0) == pasteText) {
      disconnect(action, &QAction::triggered, nullptr, nullptr);
      connect(action, &QAction::triggered, this, [this] { pasteWithinLimit(); });
    }
  }
  menu->exec(event->globalPos());
}

void PhoneDigitsEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The X11 middle-button paste of the primary selection, within the limit.
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
    pasteWithinLimit(QClipboard::Selection);
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

}  // namespace morvessa::gui
