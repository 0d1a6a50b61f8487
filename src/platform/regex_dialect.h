// Where the pattern language and replacement syntax of this engine layer
// meet PCRE2: the pattern rewrite done before compiling, and the expansion of
// replacement texts.
//
// Known differences from the late-1990s ECMAScript dialect that callers write
// for (kept, because none of them matters to texts converted from code page
// 936 or to the patterns this program uses):
//  1. PCRE2 accepts more syntax than the dialect: lookbehind, atomic and named
//     groups, possessive quantifiers, inline options such as (?i), \Q...\E,
//     POSIX classes such as [[:alpha:]], recursion, and start-of-pattern
//     items such as (*LIMIT_MATCH=n). A pattern the dialect rejects may run
//     here; inside a class "[:" starts a POSIX class where the dialect reads
//     the two characters.
//  2. Escape letters: PCRE2 gives its own meaning to \A \Z \z \G \h \H \R \X
//     \K \N \p \P \e \a \o \g \k and rejects unknown letters, where the
//     dialect reads most of them as the letter itself. \v is rewritten to
//     U+000B (PCRE2 would read it as any vertical space).
//  3. A group inside a repeated group keeps the text of an earlier
//     iteration when the last iteration leaves it out ("(?:(a)|b)+" on "ab"
//     reads group 1 as "a"); the dialect resets it to an empty value.
//  4. The engine works in UTF mode: "." and a negated class consume a
//     surrogate pair as one character, and the scan moves past an empty
//     match by one character (two code units for a pair). The dialect counts
//     code units. Code page 936 has no characters outside the BMP, so texts
//     converted from it hold no surrogates.
//  5. A subject (or pattern) holding a lone surrogate is not well-formed
//     UTF-16: Execute, Replace and Test then fail. Never the case for text
//     converted from code page 936.
//  6. Caseless matching uses Unicode simple case folding, which also matches
//     a few characters the dialect's folding may not (K with KELVIN SIGN).
//  7. Catastrophic backtracking is bounded (regex_pcre2.cpp): the scan fails
//     instead of running for ever.
// Differences that this file removes:
//  - With Multiline, "^" matches at the start and after LF or CR, "$" at the
//    end and before LF or CR (PCRE2 alone knows one newline convention, and
//    its multiline "^" does not match after a final newline). Outside
//    classes they are rewritten to the lookarounds (?<![^\r\n]) and
//    (?![^\r\n]).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace morvessa::platform {

// The pattern handed to PCRE2 for a pattern of the dialect.
std::u16string TranslatePattern(std::u16string_view pattern, bool multiline);

// Appends `replacement` to `out` for one match, expanding $1..$99 (the group;
// empty when it took no part), $& (the match), $` (the text before it), $'
// (the text after it) and $$ (one dollar). "$nn" takes two digits when that
// group exists, else one digit when that group exists; any other "$" stands
// for itself. `pairs` holds (start, end) of the match, then of each group,
// with kUnsetOffset for a group that took no part.
void AppendExpandedReplacement(std::u16string& out, std::u16string_view replacement, std::u16string_view subject,
                               std::span<const std::size_t> pairs);

}  // namespace morvessa::platform
