// The PCRE2 side of the regular-expression engine layer: compiling a pattern
// with the options of this dialect, and scanning a subject for its matches.
// Internal to the layer; callers use regex_engine.h.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvessa::platform {

// Offset of a group that took no part in a match (PCRE2_UNSET).
inline constexpr std::size_t kUnsetOffset = static_cast<std::size_t>(-1);

// The matches of one scan over a subject, kept together with the subject so
// that matches and groups can be read for as long as anyone holds them.
struct ScanResult {
  std::u16string subject;
  std::size_t groupCount = 0;  // capture groups, without the whole match
  // For each match, groupCount + 1 pairs (start, end) in code units: the whole
  // match first, then each group; kUnsetOffset for a group that took no part.
  std::vector<std::size_t> offsets;

  std::size_t PairsPerMatch() const { return groupCount + 1; }
  std::size_t MatchCount() const { return offsets.size() / (2 * PairsPerMatch()); }
  // The pairs of match `match`: whole match, then the groups.
  std::span<const std::size_t> Pairs(std::size_t match) const {
    return std::span<const std::size_t>(offsets).subspan(match * 2 * PairsPerMatch(), 2 * PairsPerMatch());
  }
};

// A pattern compiled (and, where the platform allows, JIT-compiled) together
// with its match context. Immutable once made.
class CompiledPattern;

struct CompiledPatternDeleter {
  void operator()(CompiledPattern* pattern) const;
};
using CompiledPatternPtr = std::unique_ptr<CompiledPattern, CompiledPatternDeleter>;

// Null when PCRE2 rejects the pattern (after the dialect translation).
CompiledPatternPtr CompilePattern(std::u16string_view pattern, bool ignoreCase, bool multiline);

std::size_t GroupCount(const CompiledPattern& pattern);

// The offsets of the matches of `pattern` in `subject` in the layout of
// ScanResult::offsets: every non-overlapping match from left to right when
// `global`, else at most the first. std::nullopt when the scan fails (a
// subject that is not well-formed UTF-16, or a resource limit was hit).
std::optional<std::vector<std::size_t>> ScanMatches(const CompiledPattern& pattern, std::u16string_view subject,
                                                    bool global);

}  // namespace morvessa::platform
