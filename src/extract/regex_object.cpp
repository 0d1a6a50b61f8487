#include "extract/regex_object.h"

#include <climits>
#include <exception>
#include <optional>

#include "extract/text_between.h"
#include "platform/codepage.h"
#include "platform/regex_engine.h"

namespace morvessa {
namespace {

constexpr int kNotFound = -2;

// Values cross the engine boundary as UTF-16: texts go in converted from code
// page 936 and come back converted to it.
std::u16string ToEngine(const Text& text) { return platform::GbkToUtf16(text); }

Text FromEngine(std::u16string_view text) { return platform::Utf16ToGbk(text); }

// The 0-based match index for a 1-based number, or nullopt when `n` < 1 (so
// that n - 1 can never overflow).
std::optional<int> ZeroBased(int n) {
  if (n < 1) return std::nullopt;
  return n - 1;
}

}  // namespace

struct RegexObject::State {
  std::shared_ptr<platform::RegexEngine> engine;
  std::shared_ptr<const platform::RegexMatchCollection> matches;
  Text lastTarget;
  // The last code-unit index turned into a byte offset of lastTarget, so that
  // reading the positions of all matches in order walks the target once.
  mutable std::size_t walkedUnits = 0;
  mutable std::size_t walkedBytes = 0;

  std::optional<platform::RegexMatch> Match(int n) const {
    const auto index = ZeroBased(n);
    if (!matches || !index) return std::nullopt;
    return matches->Item(*index);
  }

  // The byte offset in lastTarget of the character at code-unit `units`, when
  // every character before it is a well-formed one, each of which converts to
  // one unit: a byte below 0x80, the single bytes 80 and FF, or a lead byte
  // 81..FE with a trail byte 40..FE other than 7F. Other byte sequences
  // convert to a number of units that only the converter knows.
  std::optional<std::size_t> ByteOffsetOfUnit(std::size_t units) const {
    if (units < walkedUnits) walkedUnits = walkedBytes = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(lastTarget.data());
    const std::size_t size = lastTarget.size();
    while (walkedUnits < units) {
      if (walkedBytes >= size) return std::nullopt;
      const unsigned char lead = bytes[walkedBytes];
      if (lead < 0x81 || lead == 0xFF) {
        walkedBytes += 1;
      } else if (lead >= 0x81 && lead <= 0xFE && walkedBytes + 1 < size && bytes[walkedBytes + 1] >= 0x40 &&
                 bytes[walkedBytes + 1] <= 0xFE && bytes[walkedBytes + 1] != 0x7F) {
        walkedBytes += 2;
      } else {
        return std::nullopt;  // the walk so far stays valid for later calls
      }
      ++walkedUnits;
    }
    return walkedBytes;
  }

  // The byte offset where `text`, found by the engine at code-unit `units`,
  // starts in lastTarget. The walk above gives it exactly; the bytes found
  // there are checked against `text`. When the walk cannot tell (bytes that
  // are not well-formed GBK before the match), the first occurrence of `text`
  // at or after byte offset units - 1 is taken: a character is never fewer
  // bytes than code units, so the true start is not before it.
  int BytePosition(std::size_t units, const Text& text) const {
    const auto offset = ByteOffsetOfUnit(units);
    if (offset && lastTarget.compare(*offset, text.size(), text) == 0 && *offset <= INT_MAX) {
      return static_cast<int>(*offset);
    }
    const int start = units > INT_MAX ? INT_MAX : static_cast<int>(units);
    const bool ignoreCase = !engine || engine->IgnoreCase();
    const int found = Find(lastTarget, text, start, ignoreCase);
    return found == -1 ? kNotFound : found - 1;
  }
};

RegexObject::RegexObject() : state_(std::make_unique<State>()) { platform::InitializeRegexThread(); }

RegexObject::~RegexObject() {
  state_->engine.reset();
  state_->matches.reset();
  state_->lastTarget.clear();
  platform::UninitializeRegexThread();
}

bool RegexObject::Create(const Text& pattern, const Text& target, bool caseSensitive, bool multiline, bool global,
                         bool expandQuotes) {
  const bool ignoreCase = !caseSensitive;
  state_->engine.reset();
  state_->matches.reset();
  state_->engine = platform::RegexEngine::Create();
  if (auto& engine = state_->engine) {
    // A failed property write changes nothing and is not an error here. The
    // engine has no "Singleline": that write always fails, so "." keeps its
    // meaning (everything but LF).
    (void)engine->SetProperty("IgnoreCase", ignoreCase);
    (void)engine->SetProperty("Multiline", multiline);
    (void)engine->SetProperty("Singleline", true);
    (void)engine->SetProperty("Global", global);
    try {
      engine->SetPattern(ToEngine(expandQuotes ? ExpandQuotes(pattern) : pattern));
      state_->matches = engine->Execute(ToEngine(target));
    } catch (const std::exception&) {
      // Converting an enormous target can run out of memory: that is a
      // failed Execute, not an error to pass on.
      state_->matches.reset();
    }
  }
  state_->lastTarget = target;
  state_->walkedUnits = state_->walkedBytes = 0;
  return state_->matches != nullptr;
}

Text RegexObject::GetPattern() const {
  if (!state_->engine) return {};
  return FromEngine(state_->engine->Pattern());
}

Text RegexObject::Replace(const Text& replacement) {
  if (!state_->engine) return {};
  try {
    const auto replaced = state_->engine->Replace(ToEngine(state_->lastTarget), ToEngine(replacement));
    return replaced ? FromEngine(*replaced) : Text();
  } catch (const std::exception&) {
    return {};  // out of memory on an enormous target
  }
}

int RegexObject::MatchCount() const { return state_->matches ? state_->matches->Count() : 0; }

Text RegexObject::MatchText(int n, int& position, bool wantPosition) const {
  const auto match = state_->Match(n);
  Text text = match ? FromEngine(match->Value()) : Text();
  if (wantPosition) position = match ? state_->BytePosition(match->FirstIndex(), text) : kNotFound;
  return text;
}

Text RegexObject::SubmatchText(int n, int k, int& position, bool wantPosition) const {
  const auto match = state_->Match(n);
  const auto group = ZeroBased(k);
  std::optional<std::size_t> groupStart;
  Text text;
  if (match && group) {
    const platform::RegexSubMatches groups = match->SubMatches();
    const auto value = groups.Item(*group);
    if (value && *value) text = FromEngine(**value);
    groupStart = groups.FirstIndex(*group);
  }
  if (wantPosition) position = groupStart ? state_->BytePosition(*groupStart, text) : kNotFound;
  return text;
}

int RegexObject::SubmatchCount() const {
  const auto first = state_->Match(1);
  return first ? first->SubMatches().Count() : 0;
}

}  // namespace morvessa
