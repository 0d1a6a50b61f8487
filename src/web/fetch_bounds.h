// FetchPage with explicit bounds, for callers (and tests) that need waits or
// a redirect chain shorter than the defaults. FetchPage itself uses
// FetchBounds{}.
#pragma once

#include "platform/http_session.h"
#include "web/fetch_page.h"

namespace morvessa {

// A server that answers "301" to every re-fetch would otherwise make the
// fetch go on for ever. After this many successive re-fetches, a further
// "301" answer is treated like any other answer: its body is the result and
// `location` keeps the target it named. Ten is far more than any real chain
// of moved addresses needs.
inline constexpr int kMaxMovedRefetches = 10;

struct FetchBounds {
  platform::HttpTimeouts timeouts;  // connection set-up and time without data
  int maxMovedRefetches = kMaxMovedRefetches;
};

// FetchPage, with the same arguments and rules, within `bounds`.
Text FetchPageWithin(const FetchBounds& bounds, const Text& url, int method = 0, const Text& postText = {},
                     Text* cookies = nullptr, Text* responseCookies = nullptr, Text* headers = nullptr,
                     Text* location = nullptr, bool noRedirect = false, ByteBuffer* postBytes = nullptr,
                     const Text* proxy = nullptr, Text* responseHeaders = nullptr);

}  // namespace morvessa
