// The text between two markers.
#pragma once

#include "textops/text.h"

namespace morvessa {

// "#引号" in GBK: stands for one double quote in markers and, on request, in
// regular-expression patterns, so that callers can write quotes without
// escaping them.
const Text& QuotePlaceholder();

// Replaces every QuotePlaceholder in `text` by a double quote.
Text ExpandQuotes(const Text& text);

// The bytes of `source` between the first occurrence of `left` at or after
// `start` (1-based; below 1 acts as 1) and the first occurrence of `right`
// after the end of `left`. Both markers have QuotePlaceholder expanded;
// `source` is searched as it is. ASCII letter case is ignored unless
// `caseSensitive`. Empty text when either marker is missing.
Text TextBetween(const Text& source, const Text& left, const Text& right, int start = 0,
                 bool caseSensitive = false);

}  // namespace morvessa
