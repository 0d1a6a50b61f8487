// Profile (INI) files: the settings store of the program. Sections "[name]"
// hold "key=value" lines; the file holds GBK bytes and its lines end in
// CR LF. Section and key names ignore ASCII letter case and surrounding
// blanks (see profile_lines.h for every rule of the format).
//
// Nothing here throws or reports why it failed: a file that cannot be read
// reads as missing, a write that cannot be done changes nothing and returns
// false.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "textops/text.h"

namespace morvessa {

// The value of `key` in `section` of the file at `path`, as it would land in
// a buffer of `bufferSize` bytes with its terminating NUL: blanks around it
// and one pair of enclosing quotes (" or ') removed, then at most
// `bufferSize` - 1 bytes, never half a double-byte character. A missing
// file, section or key gives `defaultValue` under the same size bound. A
// file that is not a readable regular text file of at most
// kProfileFileSizeLimit bytes without NUL bytes counts as missing.
Text ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t bufferSize);

// Sets `key` in `section` to `value`, creating the file and the section when
// they are missing and leaving every other line of the file byte for byte.
// The new file replaces the old one in a single rename, so a failure at any
// point (read-only directory, full disk) leaves the old file whole. Refuses
// (false, nothing written) a file that exists but reads as unusable, and an
// entry that cannot be one line: CR, LF or NUL anywhere, an empty name, "]"
// in the section name, "=" in the key, or a key that would read as a section
// or a comment.
bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Removes the file at `path`. Never removes a directory. False when nothing
// was removed.
bool DeleteFileAt(const std::filesystem::path& path);

// True when the directory holds an entry of that name: a file, a directory,
// or anything else, a dangling symbolic link included.
bool PathExists(const std::filesystem::path& path);

}  // namespace morvessa
