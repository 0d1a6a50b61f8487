// The program's life from the creation of the main window to its exit code.
#pragma once

#include <functional>
#include <memory>

#include "app/main_window.h"
#include "gui/main_form.h"

namespace morvessa::gui {

// The three event handlers of the window, each given the window operations.
struct EventHandlers {
  std::function<void(MainWindow&)> windowCreated;     // once, before the window is shown
  std::function<void(MainWindow&)> queryClicked;      // 按钮1
  std::function<void(MainWindow&)> autoQueryClicked;  // 选择框1, after it has toggled
};

using FormFactory = std::function<std::unique_ptr<MainForm>()>;

std::unique_ptr<MainForm> CreateMainForm();

// With a QApplication in place: creates the window hidden and centred, runs
// `windowCreated` to its end (its message boxes included), shows the window
// and handles events until it is closed. Returns the exit code: 0 after the
// window has closed, -1 after a message when the window cannot be created.
int RunMainWindow(const EventHandlers& handlers, const FormFactory& createForm = CreateMainForm);

}  // namespace morvessa::gui
