// The operations on the main window's controls that the event handlers use.
// The Qt window implements them; tests and the command-line client offer
// their own implementations.
#pragma once

#include "textops/text.h"

namespace morvessa {

// The two edit boxes, by their names in the window.
enum class EditBox {
  Lot,    // 编辑框1: the repair LOT number
  Phone,  // 编辑框2: the last six digits of the phone number
};

// Columns of the report list 超级列表框1, as created.
inline constexpr int kDateColumn = 0;      // "日期"
inline constexpr int kProgressColumn = 1;  // "过程"

// Title of a message box shown without a title of its own: "信息：".
const Text& DefaultMessageTitle();

class MainWindow {
 public:
  virtual ~MainWindow() = default;

  // 编辑框1 / 编辑框2. Setting the text runs no handler and is not limited
  // by the box's length limit or character filter.
  virtual Text EditText(EditBox box) const = 0;
  virtual void SetEditText(EditBox box, const Text& text) = 0;

  // 标签1, the summary line.
  virtual void SetSummaryCaption(const Text& caption) = 0;

  // 选择框1: 1 when ticked, 0 when not. Setting it raises no click event;
  // 1 ticks the box, any other value unticks it.
  virtual int AutoQueryTicked() const = 0;
  virtual void SetAutoQueryTicked(int state) = 0;

  // 超级列表框1. AppendRow adds an empty row after the last one and returns
  // its 0-based index (-1 when no row can be added). Columns are addressed as
  // created, whatever order the user has dragged them into.
  virtual void DeleteAllRows() = 0;
  virtual int AppendRow() = 0;
  virtual void SetCellText(int row, int column, const Text& text) = 0;

  // A modal message box with an OK button only, no icon, no owner window.
  // Returns when the user has closed it.
  virtual void ShowMessage(const Text& text, const Text& title) = 0;
};

}  // namespace morvessa
