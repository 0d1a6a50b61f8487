// The text of a profile (INI) file as lines: finding the value of a key of a
// section, and producing the text with one key set. No file access here, so
// that every rule of the format can be tested on plain texts.
//
// Format: "[name]" lines open a section, "key=value" lines inside a section
// hold values, lines starting with ";" or "#" are comments, and every other
// line is kept but means nothing. Names are compared after removing blanks
// (space and tab) around them, folding the ASCII letters only; a double-byte
// GBK character is never folded, even when its second byte looks like a
// letter. A section that appears more than once is read as one section, its
// parts in file order; of a key that appears more than once the first counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "textops/text.h"

namespace morvessa {

// The value of `key` in `section`, blanks around it removed but quotes still
// there; nothing when the section or the key is missing.
std::optional<std::string_view> FindProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key);

// `value` without one pair of matching enclosing quotes (" or '), if any.
std::string_view StripEnclosingQuotes(std::string_view value);

// `text` as a buffer of `bufferSize` bytes holds it with its terminating NUL:
// at most `bufferSize` - 1 bytes, without half a double-byte character.
Text CutToBuffer(std::string_view text, std::size_t bufferSize);

// True when the names and the value can be written as one "key=value" line in
// a "[section]" without changing what the file means: no CR, LF or NUL
// anywhere, names not empty after trimming, no "]" in the section name, no
// "=" in the key, and a key that does not read as a section or a comment.
bool IsWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

// `content` with `key` of `section` set to `value`: the first line of that
// key is replaced in place; a missing key goes after the last non-blank line
// of the section's first part; a missing section goes at the end. Every other
// line keeps its bytes, its line end included. Lines written here end in
// CR LF. Call only with an entry that IsWritableProfileEntry accepts.
Text SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace morvessa
