// The main window and its nine controls, with the window's keyboard rules.
//
// The form only shows the controls, moves the focus and closes; what the
// button and the check box do is injected as callbacks, so that the form can
// be driven in tests without the network or the settings file.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "gui/phone_digits_edit.h"
#include "gui/report_list.h"
#include "gui/single_line_label.h"

namespace morvessa::gui {

class MainForm : public QWidget {
 public:
  // The window's outer size, frame and caption included, and the client area
  // that it leaves with a 3-pixel fixed frame and a 23-pixel caption bar.
  static constexpr QSize kOuterSize{552, 361};
  static constexpr QSize kClientSize{546, 332};

  explicit MainForm(QWidget* parent = nullptr);

  // Runs when 按钮1 is clicked (mouse, or Space while it has the focus).
  void setQueryHandler(std::function<void()> handler) { onQuery_ = std::move(handler); }
  // Runs when 选择框1 is clicked, after the click has toggled it; not when the
  // program sets its state.
  void setAutoQueryHandler(std::function<void()> handler) { onAutoQuery_ = std::move(handler); }
  // Runs once the window has been closed.
  void setClosedHandler(std::function<void()> handler) { onClosed_ = std::move(handler); }

  // Places the outer frame in the middle of the primary screen.
  void centreOnPrimaryScreen();

  QLineEdit* lotEdit() const { return lotEdit_; }
  PhoneDigitsEdit* phoneEdit() const { return phoneEdit_; }
  QPushButton* queryButton() const { return queryButton_; }
  QCheckBox* autoQueryBox() const { return autoQueryBox_; }
  QGroupBox* resultGroup() const { return resultGroup_; }
  SingleLineLabel* summaryLabel() const { return summaryLabel_; }
  ReportList* reportList() const { return reportList_; }

 protected:
  // Esc closes the window and Enter does nothing, whatever control has the
  // focus; the keys are taken before the control sees them.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // True when the key event was one of the window's own keys and is done.
  bool handleWindowKey(QKeyEvent* event);

  SingleLineLabel* lotCaption_;
  QLineEdit* lotEdit_;
  QPushButton* queryButton_;
  SingleLineLabel* phoneCaption_;
  PhoneDigitsEdit* phoneEdit_;
  QCheckBox* autoQueryBox_;
  QGroupBox* resultGroup_;
  SingleLineLabel* summaryLabel_;
  ReportList* reportList_;

  std::function<void()> onQuery_;
  std::function<void()> onAutoQuery_;
  std::function<void()> onClosed_;
};

}  // namespace morvessa::gui
