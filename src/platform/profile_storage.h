// Whole-file access for profile files: a bounded, non-blocking read and an
// atomic replacement through a temporary file in the same directory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "textops/text.h"

namespace morvessa {

// Profile files larger than this are not profile files this program wrote or
// could use; they read as empty and are never rewritten.
inline constexpr std::size_t kProfileFileSizeLimit = 1024 * 1024;

enum class ProfileFileState {
  Missing,   // nothing at the path: reads as empty, a write creates the file
  Readable,  // a regular text file within the size limit
  Unusable,  // anything else: a directory, a FIFO, unreadable, too large,
             // or binary (holds a NUL byte); reads as empty, never rewritten
};

struct LoadedProfileFile {
  ProfileFileState state = ProfileFileState::Missing;
  Text content;  // the file's bytes when Readable, else empty
};

// Reads the whole file at `path` without ever blocking on a FIFO or device.
LoadedProfileFile LoadProfileFile(const std::filesystem::path& path);

// Writes `content` to a new temporary file beside `path`, flushes it to disk
// and renames it over `path`, so that `path` holds either its old bytes or
// all of the new ones, never a part. An existing file's permission bits carry
// over; a new file gets the usual ones (0666 less the umask). A symbolic link
// at `path` is written through, not replaced. False, with `path` and its
// directory as they were, when any step fails.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace morvessa
