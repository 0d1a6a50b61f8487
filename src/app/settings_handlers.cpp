#include "app/settings_handlers.h"

#include <cstddef>

#include "app/query_command.h"
#include "platform/profile_file.h"
#include "textops/gbk.h"

namespace morvessa {
namespace {

// The settings live in one section of the file; the buffer size bounds how
// much of a stored value is read back.
constexpr const char* kSection = "config";
constexpr std::size_t kValueBufferSize = 10240;

const Text& AutoQueryKey() {
  static const Text kKey = Gbk("是否下次自动查询");
  return kKey;
}
const Text& LotKey() {
  static const Text kKey = Gbk("LOT编号");
  return kKey;
}
const Text& PhoneKey() {
  static const Text kKey = Gbk("电话后6位");
  return kKey;
}

Text ReadSetting(const DirectoryProvider& provider, const Text& key) {
  return ReadProfileString(SettingsFilePath(provider), kSection, key, "", kValueBufferSize);
}

// A failed write is not reported: the box keeps the state the click gave it.
void WriteSetting(const DirectoryProvider& provider, const Text& key, const Text& value) {
  WriteProfileString(SettingsFilePath(provider), kSection, key, value);
}

// Shows why the inputs cannot be remembered and unticks the box.
void RefuseAutoQuery(MainWindow& window, const Text& message) {
  window.ShowMessage(message, DefaultMessageTitle());
  window.SetAutoQueryTicked(0);
}

}  // namespace

std::filesystem::path SettingsFilePath(const DirectoryProvider& provider) {
  return provider() / std::filesystem::path(u8"配置.ini");
}

void OnAutoQueryClicked(MainWindow& window, const DirectoryProvider& provider) {
  // The checks run whichever way the click turned the box: unticking with
  // an empty input keeps the file, and with it the next automatic query.
  if (window.EditText(EditBox::Lot).empty() || window.EditText(EditBox::Phone).empty()) {
    RefuseAutoQuery(window, Gbk("LOT编号或电话后6位为空，下次无法自动查询"));
    return;
  }
  if (window.EditText(EditBox::Phone).size() < 6) {
    RefuseAutoQuery(window, Gbk("电话后6位长度错误，下次无法自动查询"));
    return;
  }
  if (window.AutoQueryTicked() == 1) {
    // Three writes of their own, in this order; each rebuilds the path.
    WriteSetting(provider, AutoQueryKey(), "1");
    WriteSetting(provider, LotKey(), window.EditText(EditBox::Lot));
    WriteSetting(provider, PhoneKey(), window.EditText(EditBox::Phone));
  } else {
    // Auto-query is switched off by removing the whole file; a file that is
    // already gone is no error.
    DeleteFileAt(SettingsFilePath(provider));
  }
}

void OnWindowCreated(MainWindow& window, const DirectoryProvider& provider, const Text& server) {
  // Anything of that name counts, a directory too; a directory then reads as
  // empty texts and so leaves auto-query off.
  if (!PathExists(SettingsFilePath(provider))) {
    window.SetAutoQueryTicked(0);
    return;
  }
  if (ReadSetting(provider, AutoQueryKey()) != "1") {
    window.SetAutoQueryTicked(0);
    return;
  }
  window.SetAutoQueryTicked(1);
  window.SetEditText(EditBox::Lot, ReadSetting(provider, LotKey()));
  window.SetEditText(EditBox::Phone, ReadSetting(provider, PhoneKey()));
  QueryCommand(window, server);
}

}  // namespace morvessa
