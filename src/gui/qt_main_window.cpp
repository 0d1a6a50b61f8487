#include "gui/qt_main_window.h"

#include <QMessageBox>

#include "gui/qt_text.h"

namespace morvessa::gui {

QLineEdit* QtMainWindow::editBox(EditBox box) const {
  return box == EditBox::Lot ? form_.lotEdit() : form_.phoneEdit();
}

Text QtMainWindow::EditText(EditBox box) const { return ToText(editBox(box)->text()); }

void QtMainWindow::SetEditText(EditBox box, const Text& text) {
  // QLineEdit::setText runs no validation; the phone box applies its limit
  // and filter to key presses and pastes only.
  editBox(box)->setText(ToQString(text));
}

void QtMainWindow::SetSummaryCaption(const Text& caption) { form_.summaryLabel()->setText(ToQString(caption)); }

int QtMainWindow::AutoQueryTicked() const { return form_.autoQueryBox()->isChecked() ? 1 : 0; }

void QtMainWindow::SetAutoQueryTicked(int state) {
  // setChecked emits toggled, never clicked: no handler runs.
  form_.autoQueryBox()->setChecked(state == 1);
}

void QtMainWindow::DeleteAllRows() { form_.reportList()->deleteAllRows(); }

int QtMainWindow::AppendRow() { return form_.reportList()->appendRow(); }

void QtMainWindow::SetCellText(int row, int column, const Text& text) {
  form_.reportList()->setCellText(row, column, ToQString(text));
}

void QtMainWindow::ShowMessage(const Text& text, const Text& title) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(title.empty() ? DefaultMessageTitle() : title), ToQString(text),
                  QMessageBox::Ok, nullptr);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace morvessa::gui
