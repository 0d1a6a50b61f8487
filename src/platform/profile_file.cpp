#include "platform/profile_file.h"

#include <unistd.h>

#include <optional>

#include "platform/profile_lines.h"
#include "platform/profile_storage.h"

namespace morvessa {

Text ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t bufferSize) {
  const LoadedProfileFile file = LoadProfileFile(path);
  const std::optional<std::string_view> value = FindProfileValue(file.content, section, key);
  // The default is not a value of the file: it keeps its quotes.
  return CutToBuffer(value ? StripEnclosingQuotes(*value) : defaultValue, bufferSize);
}

bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!IsWritableProfileEntry(section, key, value)) return false;
  const LoadedProfileFile file = LoadProfileFile(path);
  if (file.state == ProfileFileState::Unusable) return false;
  return ReplaceFileAtomically(path, SetProfileValue(file.content, section, key, value));
}

bool DeleteFileAt(const std::filesystem::path& path) {
  // unlink(2) refuses directories, unlike std::filesystem::remove.
  return ::unlink(path.c_str()) == 0;
}

bool PathExists(const std::filesystem::path& path) {
  // symlink_status: a dangling link is an entry of that name too.
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace morvessa
