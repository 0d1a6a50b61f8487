// morvessa: the repair-tracking window.
//
// Start-up order: the current directory becomes the program's directory, the
// window is created hidden, the created handler runs to its end (with the
// start-up query when auto-query is on), then the window is shown and events
// are handled until it closes.
#include <QApplication>
#include <filesystem>
#include <system_error>

#include "app/query_command.h"
#include "app/settings_handlers.h"
#include "gui/startup.h"
#include "platform/program_directory.h"

int main(int argc, char* argv[]) {
  // The settings file and anything else relative lives beside the program,
  // whatever directory the program was started from.
  const std::filesystem::path programDirectory = morvessa::ProgramDirectory();
  if (!programDirectory.empty()) {
    std::error_code ignored;
    std::filesystem::current_path(programDirectory, ignored);
  }

  // The program takes nothing from the command line: Qt sees only the
  // program name, so that no argument changes what it does.
  int qtArgc = argc > 0 ? 1 : 0;
  char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  QApplication application(qtArgc, qtArgv);
  // Lets the desktop match the window with morvessa.desktop and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("morvessa"));

  const morvessa::Text server = morvessa::QueryServerFromEnvironment();
  const morvessa::DirectoryProvider settingsDirectory = [] { return morvessa::ProgramDirectory(); };

  morvessa::gui::EventHandlers handlers;
  handlers.windowCreated = [&](morvessa::MainWindow& window) {
    morvessa::OnWindowCreated(window, settingsDirectory, server);
  };
  handlers.queryClicked = [&](morvessa::MainWindow& window) { morvessa::QueryCommand(window, server); };
  handlers.autoQueryClicked = [&](morvessa::MainWindow& window) {
    morvessa::OnAutoQueryClicked(window, settingsDirectory);
  };
  return morvessa::gui::RunMainWindow(handlers);
}
