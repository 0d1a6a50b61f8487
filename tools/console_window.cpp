#include "tools/console_window.h"

#include <cstdio>

#include "textops/gbk.h"

namespace morvessa::tools {

Text ConsoleWindow::EditText(EditBox box) const { return box == EditBox::Lot ? lot_ : phone_; }

void ConsoleWindow::SetEditText(EditBox box, const Text& text) { (box == EditBox::Lot ? lot_ : phone_) = text; }

void ConsoleWindow::SetSummaryCaption(const Text& caption) { caption_ = caption; }

int ConsoleWindow::AutoQueryTicked() const { return ticked_; }

void ConsoleWindow::SetAutoQueryTicked(int state) { ticked_ = state == 1 ? 1 : 0; }

void ConsoleWindow::DeleteAllRows() { rows_.clear(); }

int ConsoleWindow::AppendRow() {
  rows_.emplace_back(2);
  return static_cast<int>(rows_.size()) - 1;
}

void ConsoleWindow::SetCellText(int row, int column, const Text& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column > 1) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

void ConsoleWindow::ShowMessage(const Text& text, const Text& title) {
  message_ = ShownMessage{text, title.empty() ? DefaultMessageTitle() : title};
  const std::string line = GbkToUtf8(message_->title) + ": " + GbkToUtf8(message_->text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace morvessa::tools
