// The libcurl HTTP layer against the scripted server: what goes over the wire
// and how answers, failures and flags come back through the handles.
#include "platform/http_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "support/http_test_server.h"

namespace morvessa::platform {
namespace {

using morvessa::testing::AfterReply;
using morvessa::testing::HttpTestServer;
using morvessa::testing::RecordedRequest;
using morvessa::testing::Reply;
using namespace std::chrono_literals;

constexpr std::uint32_t kPlainFlags = http_flags::kReload | http_flags::kNeedFile;
const HttpTimeouts kShortTimeouts{2000ms, 1000ms};

struct Exchange {
  bool sent = false;
  std::string body;
  bool headersDelivered = false;
  std::string headers;
};

struct RequestPlan {
  std::string verb = "GET";
  std::string objectName = "/";
  std::uint32_t flags = kPlainFlags;
  std::string headerBlock;
  std::optional<std::vector<std::uint8_t>> body;
  std::string host = "127.0.0.1";
  std::optional<std::string> proxyList;
  HttpTimeouts timeouts = kShortTimeouts;
};

// One request through all the layer's handles, the body read 1024 bytes at a
// time, as the fetch does.
Exchange Perform(int port, const RequestPlan& plan) {
  Exchange exchange;
  auto session = HttpSession::Open("TestAgent/1.0", plan.proxyList, plan.timeouts);
  EXPECT_NE(session, nullptr);
  if (!session) return exchange;
  auto connection = session->Connect(plan.host, port);
  EXPECT_NE(connection, nullptr);
  if (!connection) return exchange;
  auto request = connection->OpenRequest(plan.verb, plan.objectName, "HTTP/1.1", plan.flags);
  EXPECT_NE(request, nullptr);
  if (!request) return exchange;
  exchange.sent = request->Send(plan.headerBlock, plan.body ? &*plan.body : nullptr);
  std::uint8_t piece[1024];
  while (const std::size_t count = request->Read(piece, sizeof piece)) {
    EXPECT_LE(count, sizeof piece);
    exchange.body.append(reinterpret_cast<const char*>(piece), count);
  }
  char headers[5000];
  std::size_t length = sizeof headers;
  exchange.headersDelivered = request->QueryRawHeaders(headers, &length);
  if (exchange.headersDelivered) exchange.headers.assign(headers, length);
  return exchange;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

Reply Ok(const std::string& body, const std::string& extraHeaders = "") {
  return Reply{"HTTP/1.1 200 OK\r\n" + extraHeaders + "Content-Length: " + std::to_string(body.size()) +
               "\r\n\r\n" + body};
}

TEST(HttpSessionTest, RequestGoesOutWithAgentHeaderBlockAndBody) {
  HttpTestServer server([](const RecordedRequest&) { return Ok("done"); });
  RequestPlan plan;
  plan.verb = "POST";
  plan.objectName = "/form a?x=&y=\xC9\xF1";
  plan.headerBlock = "Accept: text/html\r\nX-Empty:\r\nContent-Type: text/plain";
  plan.body = Bytes("k=v");
  const Exchange exchange = Perform(server.Port(), plan);
  EXPECT_TRUE(exchange.sent);
  EXPECT_EQ(exchange.body, "done");

  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.requestLine, "POST /form%20a?x=&y=\xC9\xF1 HTTP/1.1");
  EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_EQ(request.Header("User-Agent"), "TestAgent/1.0");
  EXPECT_EQ(request.Headers("Accept"), std::vector<std::string>{"text/html"});  // replaces the default
  EXPECT_EQ(request.Headers("X-Empty"), std::vector<std::string>{""});
  EXPECT_EQ(request.Headers("Content-Type"), std::vector<std::string>{"text/plain"});
  EXPECT_EQ(request.Headers("Accept-Encoding"), std::vector<std::string>{});  // nothing decompressed
  EXPECT_EQ(request.Headers("Expect"), std::vector<std::string>{});
  EXPECT_EQ(request.Header("Content-Length"), "3");
  EXPECT_EQ(request.body, "k=v");
}

TEST(HttpSessionTest, GetWithABodySendsTheBodyUnderTheGetVerb) {
  HttpTestServer server([](const RecordedRequest&) { return Ok(""); });
  RequestPlan plan;
  plan.body = Bytes(std::string("a\0b", 3));
  Perform(server.Port(), plan);
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine, "GET / HTTP/1.1");
  EXPECT_EQ(server.Requests()[0].body, std::string("a\0b", 3));
}

TEST(HttpSessionTest, ChunkedBodyArrivesInPiecesAndHeaderBlockIsRaw) {
  const std::string body(3000, 'x');
  HttpTestServer server([&body](const RecordedRequest&) {
    return Reply{"HTTP/1.1 200 OK\nTransfer-Encoding: chunked\r\nX-A:  1\r\n\r\n" "7D0\r\n" + body.substr(0, 2000) +
                 "\r\n3E8\r\n" + body.substr(2000) + "\r\n0\r\nX-Trailer: t\r\n\r\n"};
  });
  const Exchange exchange = Perform(server.Port(), {});
  EXPECT_EQ(exchange.body, body);
  ASSERT_TRUE(exchange.headersDelivered);
  // Every line ends in CR LF (also one that came with a bare LF), then one
  // more CR LF; trailers are not part of it.
  EXPECT_EQ(exchange.headers, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nX-A:  1\r\n\r\n");
}

TEST(HttpSessionTest, CompressedBodyIsDeliveredAsItCame) {
  const std::string gzipped("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03\x01\x00\x00", 13);
  HttpTestServer server([&gzipped](const RecordedRequest&) { return Ok(gzipped, "Content-Encoding: gzip\r\n"); });
  EXPECT_EQ(Perform(server.Port(), {}).body, gzipped);
}

TEST(HttpSessionTest, HeaderQueryNeedsRoomForTheBlockAndItsNul) {
  HttpTestServer server([](const RecordedRequest&) { return Ok("b"); });
  auto session = HttpSession::Open("a", std::nullopt, kShortTimeouts);
  auto connection = session->Connect("127.0.0.1", server.Port());
  auto request = connection->OpenRequest("GET", "/", "HTTP/1.1", kPlainFlags);
  ASSERT_TRUE(request->Send("", nullptr));
  const std::string expected = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n";

  std::string buffer(expected.size(), ' ');
  std::size_t length = buffer.size();
  EXPECT_FALSE(request->QueryRawHeaders(buffer.data(), &length));
  EXPECT_EQ(buffer, std::string(expected.size(), ' '));  // untouched
  EXPECT_EQ(length, expected.size() + 1);                 // the size needed

  buffer.assign(expected.size() + 1, ' ');
  length = buffer.size();
  ASSERT_TRUE(request->QueryRawHeaders(buffer.data(), &length));
  EXPECT_EQ(length, expected.size());
  EXPECT_EQ(buffer, expected + '\0');
}

TEST(HttpSessionTest, RedirectsAreFollowedUnlessTheRequestSaysNot) {
  HttpTestServer server([](const RecordedRequest& request) {
    if (request.requestLine == "GET /start HTTP/1.1") {
      return Reply{"HTTP/1.1 302 Found\r\nLocation: /end\r\nContent-Length: 5\r\n\r\nfirst"};
    }
    return Ok("second");
  });
  RequestPlan plan;
  plan.objectName = "/start";
  const Exchange followed = Perform(server.Port(), plan);
  EXPECT_EQ(followed.body, "second");
  EXPECT_EQ(followed.headers, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n");
  EXPECT_EQ(server.RequestCount(), 2u);

  plan.flags |= http_flags::kNoAutoRedirect;
  const Exchange stopped = Perform(server.Port(), plan);
  EXPECT_EQ(stopped.body, "first");
  EXPECT_EQ(stopped.headers, "HTTP/1.1 302 Found\r\nLocation: /end\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(HttpSessionTest, ProcessCookieStoreIsSharedExceptByNoCookiesRequests) {
  HttpTestServer server([](const RecordedRequest& request) {
    if (request.requestLine == "GET /set HTTP/1.1") return Ok("", "Set-Cookie: storeTest=1; Path=/\r\n");
    if (request.requestLine == "GET /set-private HTTP/1.1") return Ok("", "Set-Cookie: privateTest=2; Path=/\r\n");
    return Ok("");
  });
  RequestPlan plan;
  plan.objectName = "/set";
  Perform(server.Port(), plan);  // stored...
  plan.objectName = "/next";
  Perform(server.Port(), plan);  // ...and sent again by a later request

  RequestPlan noCookies = plan;
  noCookies.flags |= http_flags::kNoCookies;
  noCookies.objectName = "/set-private";
  noCookies.headerBlock = "Cookie: own=1";
  Perform(server.Port(), noCookies);  // sends only its own, stores nothing
  Perform(server.Port(), plan);

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].Headers("Cookie"), std::vector<std::string>{});
  EXPECT_EQ(requests[1].Header("Cookie"), "storeTest=1");
  EXPECT_EQ(requests[2].Headers("Cookie"), std::vector<std::string>{"own=1"});
  EXPECT_EQ(requests[3].Header("Cookie"), "storeTest=1");
}

TEST(HttpSessionTest, ProxyListSendsPlainHttpThroughTheProxy) {
  HttpTestServer proxy([](const RecordedRequest&) { return Ok("from proxy"); });
  RequestPlan plan;
  plan.host = "origin.invalid";
  plan.objectName = "/page?a=1";
  plan.proxyList = "http=127.0.0.1:" + std::to_string(proxy.Port());
  const Exchange exchange = Perform(80, plan);
  EXPECT_EQ(exchange.body, "from proxy");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  EXPECT_EQ(proxy.Requests()[0].requestLine, "GET http://origin.invalid/page?a=1 HTTP/1.1");
}

TEST(HttpSessionTest, RefusedConnectionDeliversNothing) {
  int closedPort = 0;
  { closedPort = HttpTestServer([](const RecordedRequest&) { return Reply{}; }).Port(); }
  const auto start = std::chrono::steady_clock::now();
  const Exchange exchange = Perform(closedPort, {});
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);  // a bound on a hang, not a speed claim
  EXPECT_FALSE(exchange.sent);
  EXPECT_EQ(exchange.body, "");
  EXPECT_FALSE(exchange.headersDelivered);
}

TEST(HttpSessionTest, StalledOrResetAnswersEndWithWhatArrived) {
  const struct {
    const char* name;
    Reply reply;
    bool sent;
    std::string body;
  } cases[] = {
      {"silent server", Reply{"", AfterReply::Stall}, false, ""},
      {"stall in the headers", Reply{"HTTP/1.1 200 OK\r\n", AfterReply::Stall}, false, ""},
      {"stall in the body", Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", AfterReply::Stall}, true, "abc"},
      {"reset in the body", Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", AfterReply::Reset}, true, "abc"},
      {"closed in the body", Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"}, true, "abc"},
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) { return c.reply; });
    const auto start = std::chrono::steady_clock::now();
    const Exchange exchange = Perform(server.Port(), {});
    // The idle bound is 1 s; anything near the 30 s default would be a hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << c.name;
    EXPECT_EQ(exchange.sent, c.sent) << c.name;
    // A reset may discard bytes the client had not read yet.
    if (c.reply.after != AfterReply::Reset) {
      EXPECT_EQ(exchange.body, c.body) << c.name;
    }
  }
}

TEST(HttpSessionTest, UnusableHostPortOrVerbOpensNothing) {
  auto session = HttpSession::Open("a", std::nullopt);
  ASSERT_NE(session, nullptr);
  const struct {
    std::string host;
    int port;
    bool opens;
  } cases[] = {
      {"127.0.0.1", 0, true}, {"example.com", 65535, true}, {"", 80, false},          {"a/b", 80, false},
      {"user@host", 80, false}, {"a b", 80, false},          {"host", -1, false},      {"host", 65536, false},
  };
  for (const auto& c : cases) EXPECT_EQ(session->Connect(c.host, c.port) != nullptr, c.opens) << c.host << ":" << c.port;
  auto connection = session->Connect("127.0.0.1", 80);
  EXPECT_EQ(connection->OpenRequest("", "/", "HTTP/1.1", kPlainFlags), nullptr);
  EXPECT_EQ(connection->OpenRequest("GET", "", "HTTP/1.1", kPlainFlags), nullptr);
}

}  // namespace
}  // namespace morvessa::platform
