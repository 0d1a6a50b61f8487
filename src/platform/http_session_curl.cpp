// The HTTP service layer on libcurl. A request is one easy handle driven by
// its own multi handle, so that sending waits only for the answer's headers
// and the body is handed out piece by piece as it arrives.
#include <curl/curl.h>

#include <algorithm>
#include <cstring>

#include "platform/http_curl_global.h"
#include "platform/http_session.h"
#include "platform/http_wire.h"

namespace morvessa::platform {
namespace {

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The header name of `line` in lower case: the text before its ":", without
// trailing blanks.
std::string LowerHeaderName(const std::string& line) {
  std::string name = line.substr(0, line.find(':'));
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// The request headers in libcurl's form. A line "Name:" with an empty value
// would make libcurl drop its header of that name; "Name;" sends it empty,
// as written. libcurl's "Expect: 100-continue" on larger bodies is switched
// off unless the block asks for an Expect header itself: it would hold every
// such body back until the server answers or a second passes.
HeaderList BuildHeaderList(const std::string& headerBlock) {
  curl_slist* list = nullptr;
  bool hasExpect = false;
  for (const std::string& line : HeaderBlockLines(headerBlock)) {
    const std::size_t colon = line.find(':');
    std::string entry = line;
    if (colon != std::string::npos &&
        std::all_of(line.begin() + static_cast<std::ptrdiff_t>(colon) + 1, line.end(), IsBlank)) {
      entry = line.substr(0, colon) + ";";
    }
    hasExpect = hasExpect || LowerHeaderName(line) == "expect";
    curl_slist* grown = curl_slist_append(list, entry.c_str());
    if (grown != nullptr) list = grown;
  }
  if (!hasExpect) {
    curl_slist* grown = curl_slist_append(list, "Expect:");
    if (grown != nullptr) list = grown;
  }
  return HeaderList(list);
}

bool HostIsUsable(const std::string& host) {
  if (host.empty()) return false;
  return std::none_of(host.begin(), host.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F || std::strchr("/?#@\\", c) != nullptr;
  });
}

}  // namespace

// --- session ------------------------------------------------------------------

struct HttpSession::Settings {
  std::string agent;
  std::string httpProxy;   // "host:port", empty: direct
  std::string httpsProxy;  // likewise for HTTPS requests
  HttpTimeouts timeouts;
};

// What a request needs of its session and connection, copied so that a
// request never depends on the lifetime of the handles it was opened from.
struct HttpConnection::Settings {
  std::string agent;
  std::string httpProxy;
  std::string httpsProxy;
  HttpTimeouts timeouts;
  std::string host;
  int port = 0;
};

HttpSession::HttpSession(std::shared_ptr<const Settings> settings) : settings_(std::move(settings)) {}
HttpSession::~HttpSession() = default;

std::unique_ptr<HttpSession> HttpSession::Open(const std::string& agent,
                                               const std::optional<std::string>& proxyList,
                                               const HttpTimeouts& timeouts) {
  if (!CurlReady()) return nullptr;
  auto settings = std::make_shared<Settings>();
  settings->agent = agent;
  if (proxyList) {
    settings->httpProxy = ProxyForScheme(*proxyList, "http");
    settings->httpsProxy = ProxyForScheme(*proxyList, "https");
  }
  settings->timeouts = timeouts;
  return std::unique_ptr<HttpSession>(new HttpSession(std::move(settings)));
}

std::unique_ptr<HttpConnection> HttpSession::Connect(const std::string& host, int port) const {
  if (!HostIsUsable(host) || port < 0 || port > 65535) return nullptr;
  auto settings = std::make_shared<HttpConnection::Settings>();
  settings->agent = settings_->agent;
  settings->httpProxy = settings_->httpProxy;
  settings->httpsProxy = settings_->httpsProxy;
  settings->timeouts = settings_->timeouts;
  settings->host = host;
  settings->port = port;
  return std::unique_ptr<HttpConnection>(new HttpConnection(std::move(settings)));
}

// --- request ------------------------------------------------------------------

struct HttpRequest::Impl {
  std::string verb;
  EasyHandle easy;
  MultiHandle multi;
  HeaderList headerList;  // must live as long as the transfer

  bool sent = false;
  bool attached = false;  // easy handle added to the multi handle
  bool finished = false;  // transfer over, successfully or not
  bool bodyStarted = false;

  std::string body;  // received and not yet read: bytes from bodyOffset on
  std::size_t bodyOffset = 0;

  // The header block of the latest response, as "line\r\n" pieces; a new
  // status line starts it afresh (interim 1xx answers, followed redirects).
  std::string headerBlock;
  bool headerBlockEnded = false;

  ~Impl() {
    if (attached) curl_multi_remove_handle(multi.get(), easy.get());
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    impl->body.append(data, size * count);
    impl->bodyStarted = true;
    return size * count;
  }

  static size_t OnHeaderLine(char* data, size_t size, size_t count, void* self) {
    static_cast<Impl*>(self)->AddHeaderLine(std::string(data, size * count));
    return size * count;
  }

  void AddHeaderLine(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (StartsWith(line, "HTTP/")) {
      headerBlock = line + "\r\n";
      headerBlockEnded = false;
    } else if (headerBlockEnded) {
      // trailer fields after a chunked body: not part of the header block
    } else if (line.empty()) {
      headerBlock += "\r\n";
      headerBlockEnded = true;
    } else {
      headerBlock += line + "\r\n";
    }
  }

  // Lets the transfer make progress, waiting at most a second for the socket.
  void Step() {
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK || running == 0) {
      finished = true;
      return;
    }
    curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
  }

  bool Answered() const { return headerBlockEnded && !headerBlock.empty(); }
};

HttpRequest::HttpRequest(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
HttpRequest::~HttpRequest() = default;

HttpConnection::HttpConnection(std::shared_ptr<const Settings> settings) : settings_(std::move(settings)) {}
HttpConnection::~HttpConnection() = default;

std::unique_ptr<HttpRequest> HttpConnection::OpenRequest(const std::string& verb, const std::string& objectName,
                                                         const std::string& version, std::uint32_t flags) const {
  if (verb.empty() || objectName.empty()) return nullptr;
  auto impl = std::make_unique<HttpRequest::Impl>();
  impl->verb = verb;
  impl->easy.reset(curl_easy_init());
  impl->multi.reset(curl_multi_init());
  if (!impl->easy || !impl->multi) return nullptr;
  CURL* easy = impl->easy.get();

  const bool secure = (flags & http_flags::kSecure) != 0;
  std::string url = (secure ? "https://" : "http://") + settings_->host;
  if (settings_->port != 0) url += ":" + std::to_string(settings_->port);
  if (objectName.front() != '/') url += "/";
  url += EncodeRequestTarget(objectName);

  const HttpTimeouts& timeouts = settings_->timeouts;
  const long idleSeconds = std::max<long>(1, static_cast<long>((timeouts.idle.count() + 999) / 1000));
  const bool ok =
      curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
      // The empty proxy means "direct", and keeps proxy variables of the
      // environment out of the way.
      curl_easy_setopt(easy, CURLOPT_PROXY, (secure ? settings_->httpsProxy : settings_->httpProxy).c_str()) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                       version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_USERAGENT, settings_->agent.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (flags & http_flags::kNoAutoRedirect) ? 0L : 1L) ==
          CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxAutomaticRedirects)) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count())) ==
          CURLE_OK &&
      // Fewer than 1 byte per second for `idleSeconds` ends the transfer.
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, idleSeconds) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpRequest::Impl::OnBody) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, impl.get()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpRequest::Impl::OnHeaderLine) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HEADERDATA, impl.get()) == CURLE_OK;
  if (!ok) return nullptr;

  if ((flags & http_flags::kNoCookies) == 0) {
    // An empty cookie file switches the cookie engine on without reading a
    // file; the share object makes the store the process's one.
    CURLSH* store = ProcessCookieStore();
    if (store == nullptr || curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_SHARE, store) != CURLE_OK) {
      return nullptr;
    }
  }
  return std::unique_ptr<HttpRequest>(new HttpRequest(std::move(impl)));
}

bool HttpRequest::Send(const std::string& headerBlock, const std::vector<std::uint8_t>* body) {
  Impl& impl = *impl_;
  if (impl.sent) return false;
  impl.sent = true;
  CURL* easy = impl.easy.get();

  impl.headerList = BuildHeaderList(headerBlock);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, impl.headerList.get());
  if (body != nullptr) {
    // A body always goes as POST data (with its Content-Length); any other
    // verb is then written over the method name.
    static const char kNothing[] = "";
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS,
                     body->empty() ? kNothing : reinterpret_cast<const char*>(body->data()));
    if (impl.verb != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, impl.verb.c_str());
  } else if (impl.verb == "GET") {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else if (impl.verb == "HEAD") {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, impl.verb.c_str());
  }

  if (curl_multi_add_handle(impl.multi.get(), easy) != CURLM_OK) {
    impl.finished = true;
    return false;
  }
  impl.attached = true;
  // The first body byte can only belong to the final answer (libcurl passes
  // on no body of an interim answer or of a redirect it follows), so its
  // headers are complete then; so are they when the transfer has ended.
  while (!impl.finished && !impl.bodyStarted) impl.Step();
  return impl.Answered();
}

std::size_t HttpRequest::Read(std::uint8_t* buffer, std::size_t capacity) {
  Impl& impl = *impl_;
  if (!impl.sent || capacity == 0) return 0;
  while (impl.bodyOffset == impl.body.size() && !impl.finished) impl.Step();
  const std::size_t count = std::min(capacity, impl.body.size() - impl.bodyOffset);
  std::memcpy(buffer, impl.body.data() + impl.bodyOffset, count);
  impl.bodyOffset += count;
  if (impl.bodyOffset == impl.body.size()) {  // everything handed out: start the buffer afresh
    impl.body.clear();
    impl.bodyOffset = 0;
  }
  return count;
}

bool HttpRequest::QueryRawHeaders(char* buffer, std::size_t* length) {
  const Impl& impl = *impl_;
  if (!impl.Answered()) {
    *length = 0;
    return false;
  }
  const std::string& block = impl.headerBlock;
  if (block.size() + 1 > *length) {
    *length = block.size() + 1;
    return false;
  }
  std::memcpy(buffer, block.c_str(), block.size() + 1);
  *length = block.size();
  return true;
}

}  // namespace morvessa::platform
