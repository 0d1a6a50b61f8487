// A regular-expression object: one Create compiles a pattern and runs it over
// a target text; the other operations read the matches, their groups and
// positions, or run a replacement over the same target.
//
// Texts are GBK. The engine underneath works on UTF-16, so match positions
// that the engine reports count UTF-16 code units; MatchText and SubmatchText
// turn them into byte offsets of the GBK target.
//
// No operation throws or reports an error: a failed engine step yields the
// empty value of its kind (empty text, 0, no match). A pattern that
// backtracks without end is stopped by the engine's limits; Create then
// returns false, as for a pattern the engine rejects.
//
// The object raises the calling thread's regex initialisation count while it
// lives (platform/regex_engine.h): construct and destroy it on one thread.
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
  // Text of match `n` (1-based); empty text when there is no such match.
  // When `wantPosition`, `position` receives the 0-based byte offset in the
  // target where the match starts (the target's length for an empty match at
  // its end), or -2 when there is no such match. Otherwise `position` keeps
  // what the caller put there.
  Text MatchText(int n, int& position, bool wantPosition = false) const;
  // Text of group `k` (1-based) of match `n` (1-based); an unmatched group is
  // the empty text. `position` as for MatchText, for the group: -2 also when
  // the group took no part in the match.
  Text SubmatchText(int n, int k, int& position, bool wantPosition = false) const;
  // Number of groups, counted on the first match.
  int SubmatchCount() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace morvessa
