// HTTP service layer: sessions, connections and requests, each an owning
// handle that can fail to open and closes when it is destroyed.
//
// The shape is that of a classic handle-based HTTP service: open a session
// (agent name, direct or through a proxy list), connect it to a host and port,
// open a request (verb, object name, version, flags), send it (header block,
// body), read the body in pieces, query the raw response header block. The
// caller keeps the handles in that order and drops them in the reverse order.
//
// Behaviour every request shares:
//  - HTTP/1.1; the response body is de-chunked but never decompressed (no
//    Accept-Encoding is sent and a Content-Encoding is left as it is).
//  - Redirects (301, 302, 303, 307, 308) are followed, at most
//    kMaxAutomaticRedirects in a row, unless the request carries
//    kNoAutoRedirect; the raw header block then describes the last response.
//  - Cookies: one store for the whole process. Answers store their cookies
//    there and later requests to the same site send them, except requests
//    with kNoCookies, which neither send nor store any.
//  - HTTPS certificates are verified; a failed verification fails the request
//    like any network failure.
//  - Every wait is bounded by the session's HttpTimeouts.
//  - The object name goes on the request line as it is, except that spaces
//    and control bytes are percent-encoded; "&" and bytes of double-byte
//    characters are sent unchanged.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvessa::platform {

// Request flags, combined by bitwise OR (the classic service's names and
// values, so that callers can state their requests the usual way).
namespace http_flags {
inline constexpr std::uint32_t kReload = 0x80000000u;           // no cache: always fetched
inline constexpr std::uint32_t kNeedFile = 0x00000010u;         // no cache file: no effect
inline constexpr std::uint32_t kNoCookies = 0x00080000u;        // neither send nor store cookies
inline constexpr std::uint32_t kNoAutoRedirect = 0x00200000u;   // do not follow redirects
inline constexpr std::uint32_t kSecure = 0x00800000u;           // HTTPS
inline constexpr std::uint32_t kIgnoreRedirectToHttps = 0x00004000u;  // may redirect to HTTPS
}  // namespace http_flags

inline constexpr int kMaxAutomaticRedirects = 10;

// Upper bounds of every wait of a request.
struct HttpTimeouts {
  // Name resolution and connection set-up (TLS included).
  std::chrono::milliseconds connect{60'000};
  // Longest time without receiving a byte, from sending the request to the
  // end of the body; rounded up to whole seconds.
  std::chrono::milliseconds idle{30'000};
};

class HttpRequest {
 public:
  ~HttpRequest();  // closes the request; an unfinished transfer is abandoned
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Sends the request with `headerBlock` (header lines joined by "\r\n"; a
  // line of the block replaces the service's own header of the same name) and
  // `body` (none when null; a GET with a body sends it too), and waits until
  // the answer's headers have arrived. False when no answer came (unreachable
  // server, refused or reset connection, timeout, certificate rejected, or a
  // second call); the reads and the header query then deliver nothing.
  bool Send(const std::string& headerBlock, const std::vector<std::uint8_t>* body);

  // Copies up to `capacity` further body bytes to `buffer` and returns their
  // count, waiting for them as needed; 0 at the end of the body, when the
  // transfer failed or was never sent.
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity);

  // The raw response header block: the status line and every header line,
  // each ended by "\r\n", then one more "\r\n". On success it is written to
  // `buffer` with a terminating NUL, `*length` becomes its length without the
  // NUL and the result is true. When no answer arrived, or when the block and
  // its NUL need more than `*length` bytes, the result is false and `buffer`
  // is left untouched (`*length` then holds the size needed, or 0).
  bool QueryRawHeaders(char* buffer, std::size_t* length);

 private:
  friend class HttpConnection;
  struct Impl;
  explicit HttpRequest(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

class HttpConnection {
 public:
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  // Opens a request for `verb` ("GET", "POST", ...) and `objectName` (path
  // and query, e.g. "/a?b=1"); `version` "HTTP/1.0" or "HTTP/1.1". Null when
  // the request cannot be opened (empty verb, empty object name).
  std::unique_ptr<HttpRequest> OpenRequest(const std::string& verb, const std::string& objectName,
                                           const std::string& version, std::uint32_t flags) const;

 private:
  friend class HttpSession;
  struct Settings;
  explicit HttpConnection(std::shared_ptr<const Settings> settings);
  std::shared_ptr<const Settings> settings_;
};

class HttpSession {
 public:
  // Opens a session sending `agent` as the User-Agent. `proxyList` omitted:
  // direct connections. Supplied: a list of entries separated by blanks or
  // ";", each "scheme=host:port" or, for every scheme, "host:port"; requests
  // of a scheme without a proxy (or with an empty one) go direct. Null when
  // the HTTP service cannot be started.
  static std::unique_ptr<HttpSession> Open(const std::string& agent,
                                           const std::optional<std::string>& proxyList,
                                           const HttpTimeouts& timeouts = {});
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // Prepares requests to `host` (a name or IPv4 address, without port) at
  // `port` (0: the scheme's default). No connection is made yet. Null for an
  // empty host, a host holding characters that would change the meaning of
  // the address ("/", "?", "#", "@", "\", blanks or control bytes) or a port
  // outside 0..65535.
  std::unique_ptr<HttpConnection> Connect(const std::string& host, int port) const;

 private:
  struct Settings;
  explicit HttpSession(std::shared_ptr<const Settings> settings);
  std::shared_ptr<const Settings> settings_;
};

}  // namespace morvessa::platform
