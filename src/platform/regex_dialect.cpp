#include "platform/regex_dialect.h"

#include "platform/regex_pcre2.h"

namespace morvessa::platform {
namespace {

constexpr std::u16string_view kMultilineCaret = u"(?<![^\\r\\n])";
constexpr std::u16string_view kMultilineDollar = u"(?![^\\r\\n])";
constexpr std::u16string_view kVerticalTab = u"\\x0B";

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

std::u16string_view Slice(std::u16string_view subject, std::size_t start, std::size_t end) {
  return subject.substr(start, end - start);
}

}  // namespace

std::u16string TranslatePattern(std::u16string_view pattern, bool multiline) {
  std::u16string out;
  out.reserve(pattern.size() + 16);
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char16_t unit = pattern[i];
    if (unit == u'\\' && i + 1 < pattern.size()) {
      // An escape is copied as a pair, so that "\[", "\]", "\^" and "\$"
      // never count as syntax below.
      if (pattern[i + 1] == u'v') {
        out += kVerticalTab;
      } else {
        out += unit;
        out += pattern[i + 1];
      }
      ++i;
      continue;
    }
    if (inClass) {
      // The first "]" closes the class, also right after "[" or "[^": that is
      // how both the dialect and PCRE2_ALLOW_EMPTY_CLASS read "[]" and "[^]".
      if (unit == u']') inClass = false;
      out += unit;
      continue;
    }
    if (unit == u'[') {
      inClass = true;
      out += unit;
      if (i + 1 < pattern.size() && pattern[i + 1] == u'^') out += pattern[++i];
      continue;
    }
    if (multiline && unit == u'^') {
      out += kMultilineCaret;
    } else if (multiline && unit == u'$') {
      out += kMultilineDollar;
    } else {
      out += unit;
    }
  }
  return out;
}

void AppendExpandedReplacement(std::u16string& out, std::u16string_view replacement, std::u16string_view subject,
                               std::span<const std::size_t> pairs) {
  const std::size_t groups = pairs.size() / 2 - 1;
  const std::size_t matchStart = pairs[0];
  const std::size_t matchEnd = pairs[1];
  auto appendGroup = [&](std::size_t group) {
    const std::size_t start = pairs[2 * group];
    if (start != kUnsetOffset) out += Slice(subject, start, pairs[2 * group + 1]);
  };
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t unit = replacement[i];
    if (unit != u'$' || i + 1 == replacement.size()) {
      out += unit;
      continue;
    }
    const char16_t next = replacement[i + 1];
    if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      out += Slice(subject, matchStart, matchEnd);
      ++i;
    } else if (next == u'`') {
      out += subject.substr(0, matchStart);
      ++i;
    } else if (next == u'\'') {
      out += subject.substr(matchEnd);
      ++i;
    } else if (IsDigit(next)) {
      const std::size_t one = static_cast<std::size_t>(next - u'0');
      const bool hasSecond = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
      const std::size_t two = hasSecond ? one * 10 + static_cast<std::size_t>(replacement[i + 2] - u'0') : 0;
      if (hasSecond && two >= 1 && two <= groups) {
        appendGroup(two);
        i += 2;
      } else if (one >= 1 && one <= groups) {
        appendGroup(one);
        ++i;
      } else {
        out += unit;  // "$0", or a group that does not exist: literal
      }
    } else {
      out += unit;
    }
  }
}

}  // namespace morvessa::platform
