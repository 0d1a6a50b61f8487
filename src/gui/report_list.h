// The report list 超级列表框1: two columns, "日期" and "过程", grid lines,
// whole-row single selection, headers the user can drag into another order,
// no sorting and no editing. Rows are filled only by the program.
#pragma once

#include <QString>
#include <QTableWidget>

namespace morvessa::gui {

class ReportList : public QTableWidget {
 public:
  explicit ReportList(QWidget* parent = nullptr);

  void deleteAllRows();
  // Adds an empty row after the last one; its 0-based index, -1 when no row
  // can be added.
  int appendRow();
  // `column` is the column as created (0 "日期", 1 "过程"), wherever the user
  // has dragged it. A cell outside the list is ignored.
  void setCellText(int row, int column, const QString& text);
  QString cellText(int row, int column) const;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // A cell whose text is cut off shows its whole text as a tooltip.
  bool viewportEvent(QEvent* event) override;

 private:
  // Draws the selected row highlighted, or like any other row.
  void showSelection(bool shown);

  QPalette focusedColours_;
};

}  // namespace morvessa::gui
