#include "web/cookies.h"

namespace morvessa {
namespace {

constexpr std::string_view kDeletedSuffix = "=deleted";
constexpr std::string_view kItemSeparator = "; ";

// `text` without its last `count` bytes; the empty text when it is shorter.
Text DropLast(const Text& text, std::size_t count) {
  return text.size() <= count ? Text() : text.substr(0, text.size() - count);
}

}  // namespace

Text MergeCookies(Text& cookies, Text& responseCookies) {
  cookies = RemoveSpaces(cookies);
  responseCookies = RemoveSpaces(responseCookies);

  // The answer's items first; then each old item whose name the list does not
  // hold yet. The test sees the list as it grows, so of old items sharing a
  // name only the first is taken, and a deletion marker of the answer hides
  // the old item of its name.
  TextArray items = Split(responseCookies, ";");
  for (const Text& oldItem : Split(cookies, ";")) {
    if (!HasCookieName(items, CookieName(oldItem))) items.Append(oldItem);
  }

  Text merged;
  for (const Text& item : items) {
    if (Right(item, static_cast<int>(kDeletedSuffix.size())) == kDeletedSuffix) continue;
    merged += item;
    merged += kItemSeparator;
  }
  cookies = DistinctItems(DropLast(merged, kItemSeparator.size()), Text(kItemSeparator));
  return cookies;
}

Text CookieName(const Text& item) {
  const int equals = Find(item, "=");
  return Trim(equals == -1 ? item : Left(item, equals - 1));
}

bool HasCookieName(const TextArray& items, const Text& name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

Text DistinctItems(const Text& joined, const Text& separator) {
  TextArray kept;
  Text output;
  for (const Text& item : Split(joined, separator)) {
    if (ItemIndex(kept, item) != -1) continue;
    kept.Append(item);
    output += item;
    output += separator;
  }
  return DropLast(output, separator.size());
}

int ItemIndex(const TextArray& items, const Text& item) {
  for (int index = 1; index <= items.Count(); ++index) {
    if (items.At(index) == item) return index;
  }
  return -1;
}

}  // namespace morvessa
