// A MainWindow for tests: it keeps the state a real window would show and
// records every operation in order, so that a test can check both the end
// state and the sequence of calls. Message boxes are recorded and return at
// once, as if the user had pressed OK.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"

namespace morvessa::testing {

struct Message {
  Text text;
  Text title;
  bool operator==(const Message&) const = default;
};

class RecordingWindow : public MainWindow {
 public:
  // State, as the user would see it.
  Text lot;
  Text phone;
  Text caption;
  bool captionWritten = false;
  int ticked = 0;
  std::vector<std::vector<Text>> rows;  // rows[i][column]
  std::vector<Message> messages;
  // Every operation, in order, e.g. "DeleteAllRows", "AppendRow",
  // "SetCellText 0 1", "ShowMessage", "SetAutoQueryTicked 0".
  mutable std::vector<std::string> calls;

  Text EditText(EditBox box) const override {
    calls.push_back(box == EditBox::Lot ? "EditText Lot" : "EditText Phone");
    return box == EditBox::Lot ? lot : phone;
  }
  void SetEditText(EditBox box, const Text& text) override {
    calls.push_back(box == EditBox::Lot ? "SetEditText Lot" : "SetEditText Phone");
    (box == EditBox::Lot ? lot : phone) = text;
  }
  void SetSummaryCaption(const Text& text) override {
    calls.push_back("SetSummaryCaption");
    caption = text;
    captionWritten = true;
  }
  int AutoQueryTicked() const override {
    calls.push_back("AutoQueryTicked");
    return ticked;
  }
  void SetAutoQueryTicked(int state) override {
    calls.push_back("SetAutoQueryTicked " + std::to_string(state));
    ticked = state == 1 ? 1 : 0;
  }
  void DeleteAllRows() override {
    calls.push_back("DeleteAllRows");
    rows.clear();
  }
  int AppendRow() override {
    calls.push_back("AppendRow");
    rows.emplace_back(2);
    return static_cast<int>(rows.size()) - 1;
  }
  void SetCellText(int row, int column, const Text& text) override {
    calls.push_back("SetCellText " + std::to_string(row) + " " + std::to_string(column));
    if (row >= 0 && row < static_cast<int>(rows.size()) && column >= 0 && column < 2) {
      rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    }
  }
  void ShowMessage(const Text& text, const Text& title) override {
    calls.push_back("ShowMessage");
    messages.push_back({text, title});
  }
};

}  // namespace morvessa::testing
