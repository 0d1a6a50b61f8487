// One HTTP or HTTPS request, the response body returned as GBK text.
#pragma once

#include "textops/text.h"

namespace morvessa {

// Fetches `url` and returns the response body (converted from UTF-8 to GBK
// when it declares UTF-8), up to its first NUL byte; empty text when the
// request could not be opened or failed.
//
// Optional arguments: a null pointer means the argument is omitted.
//   method          1: POST; any other value: GET. Every value but 0 sends a body.
//   postText        request body as text, used when `postBytes` is empty.
//   cookies         in/out. Supplying it (even empty) switches cookie merging
//                   on: the request neither sends nor stores the process-wide
//                   cookies, the text is sent in a "Cookie: " header when not
//                   empty, and afterwards it is merged with the response's.
//   responseCookies out: the first item of every Set-Cookie line, "; "-joined.
//   headers         in/out: the request header block; on return the completed
//                   block that was sent.
//   location        out: the redirect target the response names, else the
//                   whole response header block. Not cleared on entry.
//   noRedirect      true: the HTTP layer does not follow redirects itself.
//   postBytes       in/out request body as bytes.
//   proxy           supplying it (even empty) sends plain-HTTP requests through
//                   the proxy "http=" + proxy.
//   responseHeaders out: the raw response header block.
Text FetchPage(const Text& url, int method = 0, const Text& postText = {}, Text* cookies = nullptr,
               Text* responseCookies = nullptr, Text* headers = nullptr, Text* location = nullptr,
               bool noRedirect = false, ByteBuffer* postBytes = nullptr, const Text* proxy = nullptr,
               Text* responseHeaders = nullptr);

// The trimmed text after the first ":" of `line`; empty without ":".
Text HeaderValue(const Text& line);
// The lower-cased host of `url`, with ":port" when `keepPort` and the URL names one.
Text UrlHost(const Text& url, bool keepPort = false);
// The port to connect to.
int UrlPort(const Text& url);
// The object name for the request (path and query), at least "/".
Text UrlPath(const Text& url);

}  // namespace morvessa
