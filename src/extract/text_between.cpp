#include "extract/text_between.h"

#include "textops/gbk.h"

namespace morvessa {

const Text& QuotePlaceholder() {
  static const Text kPlaceholder = Gbk("#引号");
  return kPlaceholder;
}

Text ExpandQuotes(const Text& text) { return ReplaceAll(text, QuotePlaceholder(), "\""); }

Text TextBetween(const Text& source, const Text& left, const Text& right, int start, bool caseSensitive) {
  const Text leftMarker = ExpandQuotes(left);
  const Text rightMarker = ExpandQuotes(right);
  const bool ignoreCase = !caseSensitive;
  const int leftAt = Find(source, leftMarker, start, ignoreCase);
  if (leftAt == -1) return {};
  const int p = leftAt + static_cast<int>(leftMarker.size());
  // An empty right marker is never found: Find gives 1 for it, which lies
  // before p, and the rule below turns that into the empty text.
  const int q = Find(source, rightMarker, p, ignoreCase);
  if (q == -1 || q < p) return {};
  return Mid(source, p, q - p);
}

}  // namespace morvessa
