// A regular-expression object: one Create compiles a pattern and runs it over
// a target text; the other operations read the matches, their groups and
// positions, or run a replacement over the same target.
//
// Texts are GBK. The engine underneath works on UTF-16, so match positions
// that the engine reports count UTF-16 code units; MatchText and SubmatchText
// turn them into byte offsets of the GBK target.
//
// No operation throws or reports an error: a failed engine step yields the
// empty value of its kind (empty text, 0, no match).
#pragma once

#include <memory>

#include "textops/text.h"

namespace morvessa {

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // Compiles `pattern` (with QuotePlaceholder expanded when `expandQuotes`)
  // and runs it over `target`. True when the engine returned a match
  // collection (also an empty one); false when the engine could not be made
  // or rejected the pattern.
  bool Create(const Text& pattern, const Text& target, bool caseSensitive = false, bool multiline = true,
              bool global = true, bool expandQuotes = false);

  Text GetPattern() const;
  // The target of the last Create with its matches replaced.
  Text Replace(const Text& replacement);
  int MatchCount() const;
  // Text of match `n` (1-based). When `wantPosition`, `position` receives its
  // 0-based byte offset in the target (-2 when it cannot be found).
  Text MatchText(int n, int& position, bool wantPosition = false) const;
  // Text of group `k` (1-based) of match `n` (1-based); an unmatched group is
  // the empty text.
  Text SubmatchText(int n, int k, int& position, bool wantPosition = false) const;
  // Number of groups, counted on the first match.
  int SubmatchCount() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace morvessa
