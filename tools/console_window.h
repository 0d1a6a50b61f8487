// The window interface for the command-line client: it keeps what a window
// would show (edit texts, rows, the caption) so that the client can print it
// when the run is over, and writes each message box to standard error at the
// moment it is shown, as "TITLE: TEXT" in UTF-8.
#pragma once

#include <optional>
#include <vector>

#include "app/main_window.h"

namespace morvessa::tools {

struct ShownMessage {
  Text text;   // GBK
  Text title;  // GBK; DefaultMessageTitle() when shown without one
};

class ConsoleWindow : public MainWindow {
 public:
  Text EditText(EditBox box) const override;
  void SetEditText(EditBox box, const Text& text) override;
  void SetSummaryCaption(const Text& caption) override;
  int AutoQueryTicked() const override;
  void SetAutoQueryTicked(int state) override;
  void DeleteAllRows() override;
  int AppendRow() override;
  void SetCellText(int row, int column, const Text& text) override;
  void ShowMessage(const Text& text, const Text& title) override;

  // The last caption written, if any was written.
  const std::optional<Text>& Caption() const { return caption_; }
  // Rows in list order; each has a date (column 0) and a progress text (1).
  const std::vector<std::vector<Text>>& Rows() const { return rows_; }
  // The last message shown, if any.
  const std::optional<ShownMessage>& LastMessage() const { return message_; }

 private:
  Text lot_;
  Text phone_;
  int ticked_ = 0;
  std::optional<Text> caption_;
  std::vector<std::vector<Text>> rows_;
  std::optional<ShownMessage> message_;
};

}  // namespace morvessa::tools
