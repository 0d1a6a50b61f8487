#include "textops/text.h"

#include <algorithm>
#include <limits>

namespace morvessa {
namespace {

constexpr unsigned char kFullWidthSpaceLead = 0xA1;
constexpr unsigned char kFullWidthSpaceTrail = 0xA1;

unsigned char Byte(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Length in bytes of the character that starts at `i`: 2 for a lead byte with
// a byte after it, else 1 (a lone lead byte at the end counts as one byte).
std::size_t CharLength(std::string_view text, std::size_t i) {
  return (IsLeadByte(Byte(text, i)) && i + 1 < text.size()) ? 2 : 1;
}

// True when `sought` stands at byte offset `at` of `text`. Only bytes that
// are single-byte characters of `sought` are case-folded; the two bytes of a
// double-byte character always compare exactly.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view sought, bool ignoreCase) {
  if (at + sought.size() > text.size()) return false;
  if (!ignoreCase) return text.compare(at, sought.size(), sought) == 0;
  for (std::size_t j = 0; j < sought.size();) {
    const std::size_t len = CharLength(sought, j);
    if (len == 2) {
      if (Byte(text, at + j) != Byte(sought, j) || Byte(text, at + j + 1) != Byte(sought, j + 1)) return false;
    } else if (FoldAscii(Byte(text, at + j)) != FoldAscii(Byte(sought, j))) {
      return false;
    }
    j += len;
  }
  return true;
}

bool IsSpaceAt(std::string_view text, std::size_t i) {
  if (Byte(text, i) == ' ') return true;
  return i + 1 < text.size() && Byte(text, i) == kFullWidthSpaceLead && Byte(text, i + 1) == kFullWidthSpaceTrail;
}

}  // namespace

const Text& TextArray::At(int index) const {
  static const Text kEmpty;
  if (index < 1 || index > Count()) return kEmpty;
  return items_[static_cast<std::size_t>(index - 1)];
}

int Find(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t from = start < 2 ? 0 : static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  const bool plain = !ignoreCase;
  for (std::size_t i = from; i + sought.size() <= text.size();) {
    if (plain) {
      // Jump straight to the next candidate byte; then make sure it starts a
      // character by walking the characters in between.
      const std::size_t hit = text.find(sought, i);
      if (hit == std::string_view::npos) return -1;
      while (i < hit) i += CharLength(text, i);
      if (i == hit) return static_cast<int>(hit + 1);
      continue;  // the hit was the trail byte of a character; search on
    }
    if (MatchesAt(text, i, sought, ignoreCase)) return static_cast<int>(i + 1);
    i += CharLength(text, i);
  }
  return -1;
}

int FindLast(std::string_view text, std::string_view sought, bool ignoreCase) {
  if (text.empty()) return -1;
  if (sought.empty()) return 1;
  int last = -1;
  for (std::size_t i = 0; i + sought.size() <= text.size(); i += CharLength(text, i)) {
    if (MatchesAt(text, i, sought, ignoreCase)) last = static_cast<int>(i + 1);
  }
  return last;
}

Text Left(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text Right(std::string_view text, int n) {
  if (n <= 0) return {};
  const auto count = std::min(text.size(), static_cast<std::size_t>(n));
  return Text(text.substr(text.size() - count));
}

Text Mid(std::string_view text, int start, int n) {
  if (n <= 0 || start < 1 || static_cast<std::size_t>(start) > text.size()) return {};
  return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

Text ToLowerAscii(std::string_view text) {
  Text out(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = CharLength(out, i);
    if (len == 1) out[i] = static_cast<char>(FoldAscii(Byte(out, i)));
    i += len;
  }
  return out;
}

Text Trim(std::string_view text) {
  // Walk the characters once: the first non-space character starts the
  // result, the end of the last one ends it.
  std::size_t first = text.size();
  std::size_t last = 0;
  for (std::size_t i = 0; i < text.size();) {
    const bool space = IsSpaceAt(text, i);
    const std::size_t len = space ? (Byte(text, i) == ' ' ? 1 : 2) : CharLength(text, i);
    if (!space) {
      if (first == text.size()) first = i;
      last = i + len;
    }
    i += len;
  }
  if (first == text.size()) return {};
  return Text(text.substr(first, last - first));
}

Text RemoveSpaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (IsSpaceAt(text, i)) {
      i += Byte(text, i) == ' ' ? 1 : 2;
      continue;
    }
    const std::size_t len = CharLength(text, i);
    out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

Text ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement) {
  if (sought.empty()) return Text(text);
  Text out;
  std::size_t copied = 0;
  int pos = Find(text, sought, 1, false);
  while (pos != -1) {
    const auto at = static_cast<std::size_t>(pos - 1);
    out.append(text.substr(copied, at - copied));
    out.append(replacement);
    copied = at + sought.size();
    pos = Find(text, sought, static_cast<int>(copied + 1), false);
  }
  out.append(text.substr(copied));
  return out;
}

TextArray Split(std::string_view text, std::string_view separator) {
  TextArray items;
  if (text.empty()) return items;
  if (separator.empty()) {
    items.Append(Text(text));
    return items;
  }
  std::size_t pieceStart = 0;
  int pos = Find(text, separator, 1, false);
  while (pos != -1) {
    const auto at = static_cast<std::size_t>(pos - 1);
    items.Append(Text(text.substr(pieceStart, at - pieceStart)));
    pieceStart = at + separator.size();
    pos = Find(text, separator, static_cast<int>(pieceStart + 1), false);
  }
  if (pieceStart < text.size()) items.Append(Text(text.substr(pieceStart)));
  return items;
}

std::int32_t TextToInt(std::string_view text) {
  // Full-width forms (A3 A1..A3 FE) stand for ASCII 0x21..0x7E and the
  // full-width space (A1 A1) for a blank.
  Text ascii;
  ascii.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharLength(text, i);
    if (len == 2 && Byte(text, i) == 0xA3 && Byte(text, i + 1) >= 0xA1 && Byte(text, i + 1) <= 0xFE) {
      ascii.push_back(static_cast<char>(Byte(text, i + 1) - 0x80));
    } else if (len == 2 && Byte(text, i) == kFullWidthSpaceLead && Byte(text, i + 1) == kFullWidthSpaceTrail) {
      ascii.push_back(' ');
    } else {
      ascii.append(text.substr(i, len));
    }
    i += len;
  }
  std::size_t i = 0;
  while (i < ascii.size() && (ascii[i] == ' ' || ascii[i] == '\t')) ++i;
  bool negative = false;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) negative = ascii[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
    value = std::min(kLimit, value * 10 + (ascii[i] - '0'));
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

Text IntToText(std::int64_t value) { return std::to_string(value); }

Text BlankText(int n) { return n > 0 ? Text(static_cast<std::size_t>(n), ' ') : Text(); }

ByteBuffer BlankBytes(int n) { return n > 0 ? ByteBuffer(static_cast<std::size_t>(n), 0) : ByteBuffer(); }

ByteBuffer TextToBytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

Text BytesToText(const ByteBuffer& bytes) {
  const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), nul);
}

ByteBuffer LeftBytes(const ByteBuffer& bytes, int n) {
  if (n <= 0) return {};
  const auto count = std::min(bytes.size(), static_cast<std::size_t>(n));
  return ByteBuffer(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

int FindBytes(const ByteBuffer& bytes, std::string_view sought, int start) {
  if (sought.empty()) return -1;
  const std::size_t from = start < 2 ? 0 : static_cast<std::size_t>(start - 1);
  if (from >= bytes.size()) return -1;
  const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::size_t hit = view.find(sought, from);
  return hit == std::string_view::npos ? -1 : static_cast<int>(hit + 1);
}

}  // namespace morvessa
