// A caller-kept cookie jar in one text: items "name=value" joined by "; ".
// The merge works on cookie names alone; every comparison is exact, letter
// case included.
#pragma once

#include "textops/text.h"

namespace morvessa {

// Merges the cookies an answer set (`responseCookies`) into the caller's jar
// (`cookies`). Both texts lose every half-width and full-width space and are
// rewritten in place. The new jar lists the answer's items in their order,
// then the caller's items whose names the answer did not set (the first of
// each name), without items ending in "=deleted" and without exact repeats.
// Returns a copy of the new jar.
Text MergeCookies(Text& cookies, Text& responseCookies);

// The name of a cookie item: the text before its first "=" (or the whole
// item without "="), trimmed.
Text CookieName(const Text& item);

// True when some item of `items` has the cookie name `name`.
bool HasCookieName(const TextArray& items, const Text& name);

// `joined` split at `separator`, every repeated item left out (the first
// occurrence kept), joined again with `separator`.
Text DistinctItems(const Text& joined, const Text& separator);

// The 1-based index of the first element of `items` equal to `item`; -1 when
// there is none.
int ItemIndex(const TextArray& items, const Text& item);

}  // namespace morvessa
