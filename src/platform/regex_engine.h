// Regular-expression engine layer: an object with the properties IgnoreCase,
// Multiline, Global and Pattern, an Execute that returns a match collection
// (Count, zero-based Item), matches with Value, FirstIndex and SubMatches, a
// Replace and a Test. Built on PCRE2 with 16-bit code units; texts are UTF-16
// and every index counts UTF-16 code units from 0.
//
// Dialect: late-1990s ECMAScript regular expressions as the callers expect
// them ("." stops only at LF, ^ and $ in multiline mode also at CR, ASCII
// \d \w \s \b, \xHH and \uHHHH, unset back-references match the empty text,
// [] and [^]). regex_dialect.h lists the known differences.
//
// Failures: no call throws. A call that fails answers with an empty value: a
// null pointer for objects, std::nullopt for values, false for a property
// write. An unusable pattern is reported when the engine runs it (Execute,
// Replace, Test), not when Pattern is written.
//
// Threads: an engine can only be created on a thread whose initialisation
// count is above zero (RegexThreadInit, or InitializeRegexThread); owners
// raise it for their lifetime. Objects of this layer are not synchronised;
// use each on one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace morvessa::platform {

// Raises the calling thread's initialisation count while it lives. Construct
// and destroy it on the same thread.
class RegexThreadInit {
 public:
  RegexThreadInit();
  ~RegexThreadInit();
  RegexThreadInit(const RegexThreadInit&) = delete;
  RegexThreadInit& operator=(const RegexThreadInit&) = delete;
};

// The same count as plain calls, for owners that must lower it at a chosen
// moment of their own destruction.
void InitializeRegexThread();
void UninitializeRegexThread();  // never lowers below 0
int RegexThreadInitCount();      // of the calling thread

struct ScanResult;  // the matches of one scan; defined in regex_pcre2.h

// The value of one group: its text, or no value when the group took no part
// in the match.
using GroupValue = std::optional<std::u16string>;

class RegexSubMatches {
 public:
  RegexSubMatches(std::shared_ptr<const ScanResult> scan, std::size_t match);
  int Count() const;
  // Group `index` (0-based: Item(0) is the first group). std::nullopt when
  // `index` is out of range.
  std::optional<GroupValue> Item(int index) const;
  // Where group `index` starts, in code units; std::nullopt when it is out of
  // range or took no part. (An addition of this layer: callers use it to
  // report exact positions of groups.)
  std::optional<std::size_t> FirstIndex(int index) const;

 private:
  std::shared_ptr<const ScanResult> scan_;
  std::size_t match_;
};

class RegexMatch {
 public:
  RegexMatch(std::shared_ptr<const ScanResult> scan, std::size_t match);
  std::u16string Value() const;
  std::size_t FirstIndex() const;
  std::size_t Length() const;
  RegexSubMatches SubMatches() const;

 private:
  std::shared_ptr<const ScanResult> scan_;
  std::size_t match_;
};

class RegexMatchCollection {
 public:
  explicit RegexMatchCollection(std::shared_ptr<const ScanResult> scan);
  int Count() const;
  // Match `index` (0-based); std::nullopt when it is out of range.
  std::optional<RegexMatch> Item(int index) const;

 private:
  std::shared_ptr<const ScanResult> scan_;
};

class RegexEngine {
 public:
  // A new engine with IgnoreCase, Multiline and Global off and an empty
  // pattern; null when the calling thread holds no initialisation.
  static std::shared_ptr<RegexEngine> Create();

  // Only Create can make the key, so every engine goes through its check.
  class ConstructionKey {
    friend class RegexEngine;
    ConstructionKey() = default;
  };
  explicit RegexEngine(ConstructionKey);
  ~RegexEngine();
  RegexEngine(const RegexEngine&) = delete;
  RegexEngine& operator=(const RegexEngine&) = delete;

  bool IgnoreCase() const { return ignoreCase_; }
  bool Multiline() const { return multiline_; }
  bool Global() const { return global_; }
  const std::u16string& Pattern() const { return pattern_; }
  void SetIgnoreCase(bool value) { ignoreCase_ = value; }
  void SetMultiline(bool value) { multiline_ = value; }
  void SetGlobal(bool value) { global_ = value; }
  void SetPattern(std::u16string pattern) { pattern_ = std::move(pattern); }

  // Writes a flag property by name ("IgnoreCase", "Multiline", "Global";
  // ASCII case ignored, as late-bound names are). Any other name, notably
  // "Singleline", which this engine does not have, fails and changes nothing.
  [[nodiscard]] bool SetProperty(std::string_view name, bool value);

  // Runs the pattern over `subject`. With Global every non-overlapping match
  // from left to right, else at most the first. Null when the pattern is
  // unusable or the scan hits a resource limit (see regex_pcre2.cpp).
  std::shared_ptr<const RegexMatchCollection> Execute(std::u16string subject) const;

  // `subject` with its matches (all of them with Global, else the first)
  // replaced by `replacement`, which may hold $1..$99, $&, $`, $' and $$.
  std::optional<std::u16string> Replace(std::u16string_view subject, std::u16string_view replacement) const;

  // Whether the pattern matches anywhere in `subject`.
  std::optional<bool> Test(std::u16string_view subject) const;

 private:
  struct CompiledCache;
  // The last pattern compiled on the calling thread, by whichever engine.
  static std::shared_ptr<const CompiledCache>& LastCompiledOnThread();
  std::shared_ptr<ScanResult> Scan(std::u16string_view subject, bool global) const;

  bool ignoreCase_ = false;
  bool multiline_ = false;
  bool global_ = false;
  std::u16string pattern_;
  mutable std::shared_ptr<const CompiledCache> cache_;  // the last compiled pattern; a pure cache
};

}  // namespace morvessa::platform
