// One page fetch: build the request from the URL and the caller's texts, run
// it through the HTTP service layer, and interpret the answer (cookies,
// redirect target, a "301" re-fetch, the character set).
#include <algorithm>
#include <optional>

#include "extract/text_between.h"
#include "platform/http_session.h"
#include "web/charset.h"
#include "web/cookies.h"
#include "web/fetch_bounds.h"
#include "web/fetch_page.h"

namespace morvessa {
namespace {

namespace http_flags = platform::http_flags;

const Text kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QX7LB; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
// The response header block is received into a buffer of this size, NUL
// included; a longer block is not delivered and the buffer keeps its spaces.
constexpr int kHeaderBufferSize = 5000;
constexpr std::size_t kReadPieceSize = 1024;
// A body declares UTF-8 when "utf-8" begins within its first bytes.
constexpr int kUtf8DeclarationReach = 499;

// The outputs and in/out arguments of a fetch: the caller's own where
// supplied, temporaries otherwise. A re-fetch goes on with the same ones.
struct FetchTexts {
  Text* cookies;  // null: not supplied, cookie merging off
  Text& responseCookies;
  Text& headers;
  Text& location;
  ByteBuffer& postBytes;
  Text& responseHeaders;
};

Text DropLast(const Text& text, std::size_t count) {
  return text.size() <= count ? Text() : text.substr(0, text.size() - count);
}

// The agent is the value of the block's User-Agent line (name matched in any
// letter case), else the default. The value is taken from that line alone,
// also when it is the last line of the block: the value of another line, or
// a line break, must never become the agent.
Text AgentName(const Text& headers) {
  const int marker = Find(headers, "User-Agent:", 1, true);
  if (marker == -1) return kDefaultAgent;
  const Text fromMarker = Right(headers, static_cast<int>(headers.size()) - marker + 1);
  const int lineEnd = Find(fromMarker, "\r\n");
  return HeaderValue(lineEnd == -1 ? fromMarker : Left(fromMarker, lineEnd - 1));
}

// Appends the default request headers the block lacks. Each test looks for
// the name anywhere in the block, letter case exact, after the lines added
// before it. Content-Type goes with GET requests too.
void CompleteRequestHeaders(Text& headers, const Text& url, const Text& cookies) {
  if (Find(headers, "Referer:") == -1) headers += (headers.empty() ? "Referer: " : "\r\nReferer: ") + url;
  if (Find(headers, "Accept:") == -1) headers += "\r\nAccept: */*";
  if (Find(headers, "Accept-Language:") == -1) headers += "\r\nAccept-Language: zh-cn";
  if (Find(headers, "Content-Type:") == -1) headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  if (!cookies.empty()) headers += "\r\nCookie: " + cookies;
}

std::uint32_t RequestFlags(const Text& url, bool cookieMerging, bool noRedirect) {
  std::uint32_t flags = http_flags::kReload | http_flags::kNeedFile;
  if (cookieMerging) flags |= http_flags::kNoCookies;
  if (noRedirect) flags |= http_flags::kNoAutoRedirect;
  flags |= ToLowerAscii(Left(url, 5)) == "https" ? http_flags::kSecure : http_flags::kIgnoreRedirectToHttps;
  return flags;
}

// One request: open session, connection and request, complete and send the
// headers (with the body unless `method` is 0), read the body and the raw
// header block, close everything in reverse order. Nothing when an opening
// step fails; the texts are then untouched.
std::optional<ByteBuffer> Exchange(const FetchBounds& bounds, const Text& url, int method, const Text& postText,
                                   bool noRedirect, const Text* proxy, FetchTexts& texts) {
  std::optional<std::string> proxyList;
  if (proxy != nullptr) proxyList = "http=" + *proxy;
  auto session = platform::HttpSession::Open(AgentName(texts.headers), proxyList, bounds.timeouts);
  if (!session) return std::nullopt;
  auto connection = session->Connect(UrlHost(url), UrlPort(url));
  if (!connection) return std::nullopt;
  auto request = connection->OpenRequest(method == 1 ? "POST" : "GET", UrlPath(url), "HTTP/1.1",
                                         RequestFlags(url, texts.cookies != nullptr, noRedirect));
  if (!request) return std::nullopt;

  CompleteRequestHeaders(texts.headers, url, texts.cookies != nullptr ? *texts.cookies : Text());
  // A failed send is not reported: the reads and the header query below then
  // deliver nothing, which is the answer a failure gets.
  if (method == 0) {
    request->Send(texts.headers, nullptr);
  } else {
    if (texts.postBytes.empty()) texts.postBytes = TextToBytes(postText);
    request->Send(texts.headers, &texts.postBytes);
  }

  ByteBuffer body;
  std::uint8_t piece[kReadPieceSize];
  while (const std::size_t count = request->Read(piece, sizeof piece)) body.insert(body.end(), piece, piece + count);

  texts.responseHeaders = BlankText(kHeaderBufferSize);
  std::size_t length = kHeaderBufferSize;
  if (request->QueryRawHeaders(texts.responseHeaders.data(), &length)) {
    texts.responseHeaders.resize(std::min(length, texts.responseHeaders.find('\0')));
  }
  request.reset();
  connection.reset();
  session.reset();
  return body;
}

// Reads the response header block: every line holding "Location:" (a
// Content-Location line too) sets `location`, the last one winning; every
// line holding "Set-Cookie" adds its first item (up to ";") to the response
// cookies. True when a Location line named a target.
bool ReadResponseHeaders(FetchTexts& texts) {
  bool namedTarget = false;
  Text cookies;
  for (const Text& line : Split(texts.responseHeaders, "\r\n")) {
    if (Find(line, "Location:") != -1) {
      texts.location = HeaderValue(line);
      namedTarget = !texts.location.empty();
    }
    if (Find(line, "Set-Cookie") != -1) cookies += Trim(TextBetween(line, "Set-Cookie:", ";")) + "; ";
  }
  texts.responseCookies = DropLast(cookies, 2);
  return namedTarget;
}

// The body as GBK text: converted from UTF-8 when "utf-8" begins within its
// first bytes or the header block mentions "utf-8" in any case; cut at the
// first NUL.
Text PageText(const ByteBuffer& body, const Text& responseHeaders) {
  const int declaredAt = FindBytes(body, "utf-8");
  const bool utf8 = (declaredAt >= 1 && declaredAt <= kUtf8DeclarationReach) ||
                    Find(responseHeaders, "utf-8", 1, true) != -1;
  return BytesToText(utf8 ? Utf8ToGbk(body) : body);
}

}  // namespace

Text FetchPageWithin(const FetchBounds& bounds, const Text& url, int method, const Text& postText, Text* cookies,
                     Text* responseCookies, Text* headers, Text* location, bool noRedirect, ByteBuffer* postBytes,
                     const Text* proxy, Text* responseHeaders) {
  Text ownResponseCookies, ownHeaders, ownLocation, ownResponseHeaders;
  ByteBuffer ownPostBytes;
  FetchTexts texts{cookies,
                   responseCookies != nullptr ? *responseCookies : ownResponseCookies,
                   headers != nullptr ? *headers : ownHeaders,
                   location != nullptr ? *location : ownLocation,
                   postBytes != nullptr ? *postBytes : ownPostBytes,
                   responseHeaders != nullptr ? *responseHeaders : ownResponseHeaders};

  Text currentUrl = url;
  for (int refetches = 0;; ++refetches) {
    const std::optional<ByteBuffer> body = Exchange(bounds, currentUrl, method, postText, noRedirect, proxy, texts);
    if (!body) return {};
    const bool namedTarget = ReadResponseHeaders(texts);
    if (cookies != nullptr) MergeCookies(*cookies, texts.responseCookies);
    if (texts.location.empty()) texts.location = texts.responseHeaders;

    // "301" re-fetch: at the named target followed by the current path and
    // query, with the same texts (the completed header block included). Only
    // when the answer named a target: without one, `location` holds the whole
    // header block, which is no address to fetch. Bounded, so that a server
    // that always answers "301" cannot keep the fetch going.
    const bool moved = TextBetween(texts.responseHeaders, "HTTP/1.1 ", " Moved") == "301";
    if (moved && namedTarget && refetches < bounds.maxMovedRefetches) {
      currentUrl = texts.location + UrlPath(currentUrl);
      texts.location.clear();
      continue;
    }
    return PageText(*body, texts.responseHeaders);
  }
}

Text FetchPage(const Text& url, int method, const Text& postText, Text* cookies, Text* responseCookies,
               Text* headers, Text* location, bool noRedirect, ByteBuffer* postBytes, const Text* proxy,
               Text* responseHeaders) {
  return FetchPageWithin(FetchBounds{}, url, method, postText, cookies, responseCookies, headers, location,
                         noRedirect, postBytes, proxy, responseHeaders);
}

}  // namespace morvessa
