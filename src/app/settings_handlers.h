// The auto-query settings: the click handler of the check box 选择框1 and the
// created-event handler of the main window.
#pragma once

#include <filesystem>
#include <functional>

#include "app/main_window.h"
#include "textops/text.h"

namespace morvessa {

// Gives the directory that holds the settings file: the program's directory
// in the program, a temporary directory in tests.
using DirectoryProvider = std::function<std::filesystem::path()>;

// The settings file "配置.ini" in the directory `provider` gives.
std::filesystem::path SettingsFilePath(const DirectoryProvider& provider);

// Stores the two inputs (box ticked) or deletes the settings file (unticked),
// after checking the inputs.
void OnAutoQueryClicked(MainWindow& window, const DirectoryProvider& provider);

// Reads the settings file at start-up; when auto-query is on, ticks the box,
// fills the edit boxes and runs QueryCommand against `server`.
void OnWindowCreated(MainWindow& window, const DirectoryProvider& provider, const Text& server);

}  // namespace morvessa
