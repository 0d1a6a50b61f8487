// The engine object, its match collection, matches and group collections.
// Matches are views into one shared ScanResult, so a collection of many
// thousand matches costs one vector of offsets, not one object per match.
#include "platform/regex_engine.h"

#include <climits>
#include <exception>

#include "platform/regex_dialect.h"
#include "platform/regex_pcre2.h"

namespace morvessa::platform {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

int ClampToInt(std::size_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

bool InRange(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

}  // namespace

// --- groups -------------------------------------------------------------------

RegexSubMatches::RegexSubMatches(std::shared_ptr<const ScanResult> scan, std::size_t match)
    : scan_(std::move(scan)), match_(match) {}

int RegexSubMatches::Count() const { return ClampToInt(scan_->groupCount); }

std::optional<GroupValue> RegexSubMatches::Item(int index) const {
  if (!InRange(index, scan_->groupCount)) return std::nullopt;
  const auto pairs = scan_->Pairs(match_);
  const std::size_t start = pairs[2 * (static_cast<std::size_t>(index) + 1)];
  const std::size_t end = pairs[2 * (static_cast<std::size_t>(index) + 1) + 1];
  if (start == kUnsetOffset) return GroupValue{};
  return GroupValue{scan_->subject.substr(start, end - start)};
}

std::optional<std::size_t> RegexSubMatches::FirstIndex(int index) const {
  if (!InRange(index, scan_->groupCount)) return std::nullopt;
  const std::size_t start = scan_->Pairs(match_)[2 * (static_cast<std::size_t>(index) + 1)];
  if (start == kUnsetOffset) return std::nullopt;
  return start;
}

// --- matches ------------------------------------------------------------------

RegexMatch::RegexMatch(std::shared_ptr<const ScanResult> scan, std::size_t match)
    : scan_(std::move(scan)), match_(match) {}

std::u16string RegexMatch::Value() const { return scan_->subject.substr(FirstIndex(), Length()); }

std::size_t RegexMatch::FirstIndex() const { return scan_->Pairs(match_)[0]; }

std::size_t RegexMatch::Length() const {
  const auto pairs = scan_->Pairs(match_);
  return pairs[1] - pairs[0];
}

RegexSubMatches RegexMatch::SubMatches() const { return RegexSubMatches(scan_, match_); }

RegexMatchCollection::RegexMatchCollection(std::shared_ptr<const ScanResult> scan) : scan_(std::move(scan)) {}

int RegexMatchCollection::Count() const { return ClampToInt(scan_->MatchCount()); }

std::optional<RegexMatch> RegexMatchCollection::Item(int index) const {
  if (!InRange(index, scan_->MatchCount())) return std::nullopt;
  return RegexMatch(scan_, static_cast<std::size_t>(index));
}

// --- engine -------------------------------------------------------------------

// The compiled form of the last pattern and flags that were run, so that
// running the same pattern again (Execute, then Replace) compiles once.
struct RegexEngine::CompiledCache {
  std::u16string pattern;
  bool ignoreCase = false;
  bool multiline = false;
  CompiledPatternPtr compiled;  // null when PCRE2 rejected the pattern

  bool Fits(const std::u16string& otherPattern, bool otherIgnoreCase, bool otherMultiline) const {
    return pattern == otherPattern && ignoreCase == otherIgnoreCase && multiline == otherMultiline;
  }
};

// A new engine for every query runs the same pattern, and compiling it (with
// the JIT) costs more than scanning a page of 10 KB; so the last compiled
// pattern is kept per thread. Engines never share anything across threads.
std::shared_ptr<const RegexEngine::CompiledCache>& RegexEngine::LastCompiledOnThread() {
  thread_local std::shared_ptr<const CompiledCache> lastCompiled;
  return lastCompiled;
}

std::shared_ptr<RegexEngine> RegexEngine::Create() {
  if (RegexThreadInitCount() <= 0) return nullptr;
  return std::make_shared<RegexEngine>(ConstructionKey());
}

RegexEngine::RegexEngine(ConstructionKey) {}
RegexEngine::~RegexEngine() = default;

bool RegexEngine::SetProperty(std::string_view name, bool value) {
  if (EqualsIgnoringAsciiCase(name, "IgnoreCase")) {
    ignoreCase_ = value;
  } else if (EqualsIgnoringAsciiCase(name, "Multiline")) {
    multiline_ = value;
  } else if (EqualsIgnoringAsciiCase(name, "Global")) {
    global_ = value;
  } else {
    return false;
  }
  return true;
}

std::shared_ptr<ScanResult> RegexEngine::Scan(std::u16string_view subject, bool global) const {
  if (!cache_ || !cache_->Fits(pattern_, ignoreCase_, multiline_)) {
    if (LastCompiledOnThread() && LastCompiledOnThread()->Fits(pattern_, ignoreCase_, multiline_)) {
      cache_ = LastCompiledOnThread();
    } else {
      auto fresh = std::make_shared<CompiledCache>();
      fresh->pattern = pattern_;
      fresh->ignoreCase = ignoreCase_;
      fresh->multiline = multiline_;
      fresh->compiled = CompilePattern(pattern_, ignoreCase_, multiline_);
      cache_ = LastCompiledOnThread() = std::move(fresh);
    }
  }
  if (!cache_->compiled) return nullptr;
  auto offsets = ScanMatches(*cache_->compiled, subject, global);
  if (!offsets) return nullptr;
  auto scan = std::make_shared<ScanResult>();
  scan->groupCount = GroupCount(*cache_->compiled);
  scan->offsets = std::move(*offsets);
  return scan;
}

// Execute, Replace and Test catch what allocation may throw (a subject of
// hundreds of megabytes) and answer with their empty value instead.

std::shared_ptr<const RegexMatchCollection> RegexEngine::Execute(std::u16string subject) const try {
  auto scan = Scan(subject, global_);
  if (!scan) return nullptr;
  scan->subject = std::move(subject);
  return std::make_shared<const RegexMatchCollection>(std::move(scan));
} catch (const std::exception&) {
  return nullptr;
}

std::optional<std::u16string> RegexEngine::Replace(std::u16string_view subject,
                                                   std::u16string_view replacement) const try {
  const auto scan = Scan(subject, global_);
  if (!scan) return std::nullopt;
  std::u16string out;
  out.reserve(subject.size());
  std::size_t copied = 0;
  for (std::size_t match = 0; match < scan->MatchCount(); ++match) {
    const auto pairs = scan->Pairs(match);
    out += subject.substr(copied, pairs[0] - copied);
    AppendExpandedReplacement(out, replacement, subject, pairs);
    copied = pairs[1];
  }
  out += subject.substr(copied);
  return out;
} catch (const std::exception&) {
  return std::nullopt;
}

std::optional<bool> RegexEngine::Test(std::u16string_view subject) const try {
  const auto scan = Scan(subject, false);
  if (!scan) return std::nullopt;
  return scan->MatchCount() > 0;
} catch (const std::exception&) {
  return std::nullopt;
}

}  // namespace morvessa::platform
