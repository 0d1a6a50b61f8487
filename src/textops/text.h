// Text, byte and array types of the whole program, and the operations on them.
//
// Every text is a GBK (code page 936) byte string. Positions are 1-based byte
// positions and -1 means "not found". Character-aware operations treat a byte
// of 0x80 or more together with the byte after it as one double-byte
// character, so their matches start only where a character starts. When case
// is ignored, only the ASCII letters A-Z and a-z are folded. No operation here
// fails or throws: every input has a defined result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvessa {

// GBK bytes without NUL. A missing text is the empty text.
using Text = std::string;

// Counted bytes that may hold NUL: request and response bodies, UTF-16 data.
// Deliberately a different type from Text, so that the two never mix silently.
using ByteBuffer = std::vector<std::uint8_t>;

// Texts indexed from 1 to Count().
class TextArray {
 public:
  TextArray() = default;
  explicit TextArray(std::vector<Text> items) : items_(std::move(items)) {}

  int Count() const { return static_cast<int>(items_.size()); }
  // Element `index` (1-based); the empty text outside 1..Count().
  const Text& At(int index) const;
  void Append(Text item) { items_.push_back(std::move(item)); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  const std::vector<Text>& Items() const { return items_; }

 private:
  std::vector<Text> items_;
};

// True when `byte` starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// --- search -----------------------------------------------------------------

// First occurrence of `sought` in `text` at or after byte position `start`
// (1-based; below 2 searches from byte 1, beyond the length gives -1).
// Character boundaries are counted from `start`. An empty `sought` gives 1
// (not `start`) whenever a byte remains at or after `start`, else -1.
int Find(std::string_view text, std::string_view sought, int start = 1, bool ignoreCase = false);

// Last occurrence of `sought` in the whole of `text`, same rules.
int FindLast(std::string_view text, std::string_view sought, bool ignoreCase = false);

// --- parts ------------------------------------------------------------------

Text Left(std::string_view text, int n);         // n bytes; may cut a character
Text Right(std::string_view text, int n);        // last n bytes
Text Mid(std::string_view text, int start, int n);  // n bytes from `start`

// --- case and spaces --------------------------------------------------------

Text ToLowerAscii(std::string_view text);  // A-Z only; double-byte unchanged
// Removes half-width (0x20) and full-width (A1 A1) spaces at both ends.
Text Trim(std::string_view text);
// Removes every half-width and full-width space.
Text RemoveSpaces(std::string_view text);

// --- replace and split ------------------------------------------------------

// Every occurrence of `sought`, left to right, non-overlapping, exact bytes,
// character-aware. An empty `sought` replaces nothing.
Text ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement);

// Pieces of `text` between the separators. The empty text gives no items; an
// empty piece between two separators (or before a leading one) is an empty
// item; the empty piece after a final separator is dropped. An empty separator
// gives the whole text as one item.
TextArray Split(std::string_view text, std::string_view separator);

// --- numbers ----------------------------------------------------------------

// Full-width forms become ASCII, then leading blanks, an optional sign and
// decimal digits are read; 0 without digits. Saturates at the 32-bit limits.
std::int32_t TextToInt(std::string_view text);
Text IntToText(std::int64_t value);

// --- blanks and bytes -------------------------------------------------------

Text BlankText(int n);         // n spaces
ByteBuffer BlankBytes(int n);  // n zero bytes
ByteBuffer TextToBytes(std::string_view text);  // without terminator
Text BytesToText(const ByteBuffer& bytes);      // up to the first NUL byte
ByteBuffer LeftBytes(const ByteBuffer& bytes, int n);
// Exact byte search, 1-based; -1 for an empty `sought`.
int FindBytes(const ByteBuffer& bytes, std::string_view sought, int start = 1);

}  // namespace morvessa
