// The directory that holds the running program's executable file.
#pragma once

#include <filesystem>

namespace morvessa {

// The executable's directory, absolute, without a trailing separator (except
// for "/" itself). The empty path when the system cannot tell, which callers
// then treat as the current directory.
std::filesystem::path ProgramDirectory();

}  // namespace morvessa
