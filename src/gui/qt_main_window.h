// The window operations of the event handlers, carried out on the Qt form.
#pragma once

#include "app/main_window.h"
#include "gui/main_form.h"

namespace morvessa::gui {

class QtMainWindow : public MainWindow {
 public:
  explicit QtMainWindow(MainForm& form) : form_(form) {}

  Text EditText(EditBox box) const override;
  void SetEditText(EditBox box, const Text& text) override;
  void SetSummaryCaption(const Text& caption) override;
  int AutoQueryTicked() const override;
  void SetAutoQueryTicked(int state) override;
  void DeleteAllRows() override;
  int AppendRow() override;
  void SetCellText(int row, int column, const Text& text) override;
  // Application-modal, parentless, OK only, no icon; an empty title shows as
  // "信息：". Returns when the user has closed the box.
  void ShowMessage(const Text& text, const Text& title) override;

 private:
  QLineEdit* editBox(EditBox box) const;

  MainForm& form_;
};

}  // namespace morvessa::gui
