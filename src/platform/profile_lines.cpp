#include "platform/profile_lines.h"

#include <vector>

namespace morvessa {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One line of the content, as byte offsets: [begin, bodyEnd) is the line
// without its line end, [bodyEnd, end) is the line end ("\n", "\r\n" or
// nothing for a last line without one).
struct LineSpan {
  std::size_t begin;
  std::size_t bodyEnd;
  std::size_t end;
};

std::vector<LineSpan> SplitLines(std::string_view content) {
  std::vector<LineSpan> lines;
  std::size_t begin = 0;
  while (begin < content.size()) {
    const std::size_t newline = content.find('\n', begin);
    const std::size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
    std::size_t bodyEnd = newline == std::string_view::npos ? end : newline;
    if (bodyEnd > begin && content[bodyEnd - 1] == '\r') --bodyEnd;
    lines.push_back({begin, bodyEnd, end});
    begin = end;
  }
  return lines;
}

std::string_view Body(std::string_view content, const LineSpan& line) {
  return content.substr(line.begin, line.bodyEnd - line.begin);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Blanks are ASCII bytes below 0x40, so they never occur inside a GBK
// double-byte character and can be stripped byte by byte.
std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// ASCII letters fold, double-byte characters compare exactly.
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToLowerAscii(a) == ToLowerAscii(b);
}

enum class LineKind { Section, Key, Other };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // trimmed section or key name
  std::string_view value;  // trimmed value of a key line
};

ParsedLine ParseLine(std::string_view body) {
  const std::string_view line = TrimBlanks(body);
  if (line.empty() || line.front() == ';' || line.front() == '#') return {};
  if (line.front() == '[') {
    // "]" can be the second byte of a GBK character, so the search must
    // respect character boundaries. Without "]" the rest of the line names
    // the section.
    const int close = Find(line, "]", 2);
    const std::string_view name = close == -1 ? line.substr(1) : line.substr(1, static_cast<std::size_t>(close) - 2);
    return {LineKind::Section, TrimBlanks(name), {}};
  }
  // "=" is below 0x40 and so never part of a double-byte character.
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return {LineKind::Key, TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

// Where a key of a section is, or where it would go.
struct KeyLocation {
  std::optional<std::size_t> keyLine;           // the first line of the key
  std::optional<std::size_t> lastLineOfSection;  // last non-blank line of the section's first part
};

KeyLocation LocateKey(std::string_view content, const std::vector<LineSpan>& lines, std::string_view section,
                      std::string_view key) {
  KeyLocation location;
  bool inSection = false;
  bool inFirstPart = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view body = Body(content, lines[i]);
    const ParsedLine parsed = ParseLine(body);
    if (parsed.kind == LineKind::Section) {
      inSection = SameName(parsed.name, section);
      inFirstPart = inSection && !location.lastLineOfSection;
      if (inFirstPart) location.lastLineOfSection = i;
      continue;
    }
    if (inFirstPart && !TrimBlanks(body).empty()) location.lastLineOfSection = i;
    if (inSection && parsed.kind == LineKind::Key && SameName(parsed.name, key)) {
      location.keyLine = i;
      break;
    }
  }
  return location;
}

Text EntryLine(std::string_view key, std::string_view value) {
  Text line;
  line.reserve(key.size() + value.size() + 3);
  line.append(key).append("=").append(value).append(kLineEnd);
  return line;
}

bool HasForbiddenByte(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

}  // namespace

std::optional<std::string_view> FindProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key) {
  const std::vector<LineSpan> lines = SplitLines(content);
  const KeyLocation location = LocateKey(content, lines, TrimBlanks(section), TrimBlanks(key));
  if (!location.keyLine) return std::nullopt;
  return ParseLine(Body(content, lines[*location.keyLine])).value;
}

std::string_view StripEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

Text CutToBuffer(std::string_view raw, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  const std::size_t room = bufferSize - 1;  // one byte is the terminator's
  if (raw.size() <= room) return Text(raw);
  std::size_t kept = 0;
  while (kept < raw.size()) {
    const bool doubleByte = IsLeadByte(static_cast<unsigned char>(raw[kept])) && kept + 1 < raw.size();
    const std::size_t next = kept + (doubleByte ? 2 : 1);
    if (next > room) break;
    kept = next;
  }
  return Text(raw.substr(0, kept));
}

bool IsWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (HasForbiddenByte(section) || HasForbiddenByte(key) || HasForbiddenByte(value)) return false;
  const std::string_view trimmedSection = TrimBlanks(section);
  const std::string_view trimmedKey = TrimBlanks(key);
  if (trimmedSection.empty() || trimmedKey.empty()) return false;
  if (Find(trimmedSection, "]") != -1) return false;
  if (trimmedKey.find('=') != std::string_view::npos) return false;
  const char first = trimmedKey.front();
  return first != '[' && first != ';' && first != '#';
}

Text SetProfileValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
  const std::string_view trimmedSection = TrimBlanks(section);
  const std::string_view trimmedKey = TrimBlanks(key);
  const std::vector<LineSpan> lines = SplitLines(content);
  const KeyLocation location = LocateKey(content, lines, trimmedSection, trimmedKey);
  const Text entry = EntryLine(trimmedKey, value);

  Text result;
  result.reserve(content.size() + entry.size() + trimmedSection.size() + 4);
  if (location.keyLine) {
    const LineSpan& line = lines[*location.keyLine];
    result.append(content.substr(0, line.begin)).append(entry).append(content.substr(line.end));
  } else if (location.lastLineOfSection) {
    const LineSpan& line = lines[*location.lastLineOfSection];
    result.append(content.substr(0, line.end));
    if (content[line.end - 1] != '\n') result.append(kLineEnd);  // the file's last line had no line end
    result.append(entry).append(content.substr(line.end));
  } else {
    result.append(content);
    if (!content.empty() && content.back() != '\n') result.append(kLineEnd);
    result.append("[").append(trimmedSection).append("]").append(kLineEnd).append(entry);
  }
  return result;
}

}  // namespace morvessa
