// Compiling and scanning with PCRE2 (16-bit code units).
//
// Options, and why:
//  - PCRE2_UTF: the subject is UTF-16 text; caseless matching then folds
//    letters beyond ASCII too (Greek, Cyrillic and full-width Latin letters all
//    occur in code page 936). No PCRE2_UCP (and PCRE2_NEVER_UCP, so a pattern
//    cannot turn it on): \d, \w, \s and \b stay ASCII.
//  - newline convention LF: "." matches everything but LF, CR included.
//  - PCRE2_ALT_BSUX + PCRE2_EXTRA_ALT_BSUX: \xHH and \uHHHH as in the
//    dialect; \x or \u without enough hex digits stands for the letter.
//  - PCRE2_MATCH_UNSET_BACKREF: a back-reference to a group that has not
//    taken part matches the empty text.
//  - PCRE2_ALLOW_EMPTY_CLASS: [] matches nothing and [^] any character.
//  - PCRE2_DOLLAR_ENDONLY: without Multiline, $ matches only at the very end
//    (not before a final LF). Multiline ^ and $ are rewritten by the dialect
//    translation instead of using PCRE2_MULTILINE.
//  - PCRE2_NEVER_BACKSLASH_C: \C could end a match inside a surrogate pair,
//    and the following searches skip the UTF check.
//
// Resource limits, and what a caller sees: every pcre2_match call runs with a
// match limit of 10,000,000 (backtracking steps), a heap limit of 64 MiB for
// the interpreter's backtracking frames and a JIT stack of up to 8 MiB. A
// pattern that backtracks catastrophically hits one of them; the whole scan
// then fails, so Execute answers with no collection, Replace and Test with no
// value. Nothing hangs and nothing partial is returned.
#include "platform/regex_pcre2.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "platform/regex_dialect.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvessa::platform {
namespace {

static_assert(kUnsetOffset == PCRE2_UNSET);
static_assert(sizeof(PCRE2_UCHAR16) == sizeof(char16_t));

constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kHeapLimitKibibytes = 64 * 1024;
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;

constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
                                          PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_BACKSLASH_C;

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
using Code = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// PCRE2 refuses a null pointer even with length 0, which an empty view may
// carry.
PCRE2_SPTR16 Units(std::u16string_view text) {
  return reinterpret_cast<PCRE2_SPTR16>(text.data() != nullptr ? text.data() : u"");
}

bool IsLeadSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsTrailSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Code units of the character at `at` (a surrogate pair counts as one
// character, so that the next search starts on a character boundary).
bool ContainsSurrogate(std::u16string_view subject) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Eight units at a time: a surrogate is a unit whose top five bits are 11011.
  const __m128i topBits = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  for (; i + 8 <= subject.size(); i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(subject.data() + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, topBits), surrogate)) != 0) return true;
  }
#endif
  for (; i < subject.size(); ++i) {
    if ((subject[i] & 0xF800) == 0xD800) return true;
  }
  return false;
}

std::size_t CharacterLength(std::u16string_view subject, std::size_t at) {
  if (IsLeadSurrogate(subject[at]) && at + 1 < subject.size() && IsTrailSurrogate(subject[at + 1])) return 2;
  return 1;
}

}  // namespace

class CompiledPattern {
 public:
  CompiledPattern(Code code, MatchContext matchContext, JitStack jitStack)
      : code_(std::move(code)), matchContext_(std::move(matchContext)), jitStack_(std::move(jitStack)) {}
  const pcre2_code* Code16() const { return code_.get(); }
  pcre2_match_context* MatchContext16() const { return matchContext_.get(); }

 private:
  Code code_;
  MatchContext matchContext_;
  JitStack jitStack_;  // referenced by matchContext_, so it must outlive its uses
};

void CompiledPatternDeleter::operator()(CompiledPattern* pattern) const { delete pattern; }

CompiledPatternPtr CompilePattern(std::u16string_view pattern, bool ignoreCase, bool multiline) {
  const std::u16string translated = TranslatePattern(pattern, multiline);
  CompileContext compileContext(pcre2_compile_context_create(nullptr));
  if (!compileContext) return nullptr;
  pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);
  pcre2_set_compile_extra_options(compileContext.get(), PCRE2_EXTRA_ALT_BSUX);
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  Code code(pcre2_compile(Units(translated), translated.size(), kCompileOptions | (ignoreCase ? PCRE2_CASELESS : 0u),
                          &errorCode, &errorOffset, compileContext.get()));
  if (!code) return nullptr;
  // Without JIT support the interpreter runs the pattern; results are the same.
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);

  MatchContext matchContext(pcre2_match_context_create(nullptr));
  if (!matchContext) return nullptr;
  pcre2_set_match_limit(matchContext.get(), kMatchLimit);
  pcre2_set_heap_limit(matchContext.get(), kHeapLimitKibibytes);
  JitStack jitStack(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  if (jitStack) pcre2_jit_stack_assign(matchContext.get(), nullptr, jitStack.get());
  return CompiledPatternPtr(new CompiledPattern(std::move(code), std::move(matchContext), std::move(jitStack)));
}

std::size_t GroupCount(const CompiledPattern& pattern) {
  std::uint32_t count = 0;
  pcre2_pattern_info(pattern.Code16(), PCRE2_INFO_CAPTURECOUNT, &count);
  return count;
}

std::optional<std::vector<std::size_t>> ScanMatches(const CompiledPattern& pattern, std::u16string_view subject,
                                                    bool global) {
  MatchData matchData(pcre2_match_data_create_from_pattern(pattern.Code16(), nullptr));
  if (!matchData) return std::nullopt;
  const std::size_t pairs = GroupCount(pattern) + 1;
  std::vector<std::size_t> offsets;
  // The first call validates the whole subject as UTF-16 (it starts at offset
  // 0, so PCRE2 checks everything up to the end); later calls skip the check,
  // which would otherwise make a global scan quadratic. They always start on
  // a character boundary: at the end of a match, or one character past an
  // empty one.
  // A subject without surrogates is valid UTF-16 as it stands (every text
  // converted from code page 936 is one), and this plain loop tells so much
  // faster than PCRE2's own check.
  std::uint32_t options = ContainsSurrogate(subject) ? 0 : PCRE2_NO_UTF_CHECK;
  std::size_t from = 0;
  while (from <= subject.size()) {
    const int rc = pcre2_match(pattern.Code16(), Units(subject), subject.size(), from, options, matchData.get(),
                               pattern.MatchContext16());
    options |= PCRE2_NO_UTF_CHECK;
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return std::nullopt;  // invalid UTF-16, match/heap/JIT-stack limit, out of memory
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
    // rc is one more than the highest pair that was set; PCRE2 marks the
    // pairs beyond it unset, and so do we without reading them.
    for (std::size_t pair = 0; pair < pairs; ++pair) {
      const bool set = pair < static_cast<std::size_t>(rc);
      offsets.push_back(set ? ovector[2 * pair] : kUnsetOffset);
      offsets.push_back(set ? ovector[2 * pair + 1] : kUnsetOffset);
    }
    if (!global) break;
    const std::size_t start = ovector[0];
    const std::size_t end = ovector[1];
    if (end > start) {
      from = end;
    } else {
      // After an empty match the scan moves on by one character.
      if (end >= subject.size()) break;
      from = end + CharacterLength(subject, end);
    }
  }
  return offsets;
}

}  // namespace morvessa::platform
