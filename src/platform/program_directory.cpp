#include "platform/program_directory.h"

#include <system_error>

namespace morvessa {

std::filesystem::path ProgramDirectory() {
  // The kernel keeps the executable's resolved path as this link; it stays
  // right when the program was started through a relative path or a link.
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path();
}

}  // namespace morvessa
