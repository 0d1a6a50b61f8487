// Process-wide parts of the libcurl HTTP layer: the library's one-time start
// and the one cookie store that every request without kNoCookies shares.
#pragma once

#include <curl/curl.h>

namespace morvessa::platform {

// Starts libcurl on first use; false when it cannot be started.
bool CurlReady();

// The process's cookie store (a share object for cookie data, safe to use
// from several threads); null when it cannot be created. It lives until the
// process ends.
CURLSH* ProcessCookieStore();

}  // namespace morvessa::platform
