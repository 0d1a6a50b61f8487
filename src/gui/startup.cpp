#include "gui/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "gui/qt_main_window.h"

namespace morvessa::gui {
namespace {

// The form with its native window created but not shown; null when either
// cannot be made.
std::unique_ptr<MainForm> CreateHiddenForm(const FormFactory& createForm) {
  try {
    std::unique_ptr<MainForm> form = createForm();
    if (form) {
      form->centreOnPrimaryScreen();
      form->winId();
      if (form->windowHandle() == nullptr) {
        form.reset();
      }
    }
    return form;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void ShowCreationFailure() {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("错误"), QStringLiteral("无法创建主窗口，程序将退出。"),
                  QMessageBox::Ok, nullptr);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace

std::unique_ptr<MainForm> CreateMainForm() { return std::make_unique<MainForm>(); }

int RunMainWindow(const EventHandlers& handlers, const FormFactory& createForm) {
  // The event loop ends when the main window closes, not when a message box
  // shown before it (at start-up, while the window is hidden) closes.
  QApplication::setQuitOnLastWindowClosed(false);

  const std::unique_ptr<MainForm> form = CreateHiddenForm(createForm);
  if (!form) {
    ShowCreationFailure();
    return -1;
  }

  QtMainWindow window(*form);
  form->setQueryHandler([&] {
    if (handlers.queryClicked) handlers.queryClicked(window);
  });
  form->setAutoQueryHandler([&] {
    if (handlers.autoQueryClicked) handlers.autoQueryClicked(window);
  });
  form->setClosedHandler([] { QCoreApplication::quit(); });

  if (handlers.windowCreated) {
    handlers.windowCreated(window);
  }
  form->show();
  QApplication::exec();
  return 0;
}

}  // namespace morvessa::gui
