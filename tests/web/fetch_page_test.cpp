// FetchPage against the scripted server: what it sends, and how it reads
// answers, failures and "301" re-fetches.
#include "web/fetch_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/http_test_server.h"
#include "support/http_test_server_printers.h"
#include "textops/gbk.h"
#include "web/fetch_bounds.h"

namespace morvessa {
namespace {

using morvessa::testing::AfterReply;
using morvessa::testing::HttpTestServer;
using morvessa::testing::RecordedRequest;
using morvessa::testing::Reply;
using namespace std::chrono_literals;

const Text kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QX7LB; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const Text kNoHeaderBlock = BlankText(5000);
// Short waits, so that a stalled server costs a test about two seconds.
const FetchBounds kQuick{{1000ms, 1000ms}};

Reply Answer(const std::string& statusLine, const std::string& headers, const std::string& body) {
  return Reply{statusLine + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body};
}
Reply Ok(const std::string& body, const std::string& headers = "") { return Answer("HTTP/1.1 200 OK", headers, body); }

// A port on which nothing listens any more.
int ClosedPort() { return HttpTestServer([](const RecordedRequest&) { return Reply{}; }).Port(); }

TEST(FetchPageTest, EmptyBlockAndEmptyCookiesSendTheFourDefaultLinesInOrder) {
  HttpTestServer server([](const RecordedRequest&) { return Ok("page"); });
  const Text url = server.Url("/p?q=1");
  Text cookies;  // supplied and empty: no Cookie line, no stored cookies either
  Text headers;
  EXPECT_EQ(FetchPage(url, 0, "", &cookies, nullptr, &headers), "page");

  const Text completed = "Referer: " + url +
                         "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
  EXPECT_EQ(headers, completed);
  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.requestLine, "GET /p?q=1 HTTP/1.1");
  EXPECT_EQ(request.headerBlock,
            "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\nUser-Agent: " + kDefaultAgent + "\r\n" + completed)
      << request;
  EXPECT_EQ(request.body, "");
}

TEST(FetchPageTest, AgentAndDefaultHeaderRules) {
  HttpTestServer server([](const RecordedRequest&) { return Ok(""); });
  const Text url = server.Url("/");
  const Text rest = "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
  const struct {
    Text block;
    Text cookies;
    Text completed;
    Text agentOnTheWire;
  } cases[] = {
      {"user-agent: Lower/1", "", "user-agent: Lower/1\r\nReferer: " + url + rest, "Lower/1"},
      {"User-Agent: Solo/2", "", "User-Agent: Solo/2\r\nReferer: " + url + rest, "Solo/2"},
      {"User-Agent:  Spaced/3 \r\nX-A: 1", "", "User-Agent:  Spaced/3 \r\nX-A: 1\r\nReferer: " + url + rest, "Spaced/3"},
      // The Referer test is case-sensitive: a lower-case line gets a second one.
      {"referer: r", "", "referer: r\r\nReferer: " + url + rest, kDefaultAgent},
      {"Referer: r\r\nAccept: text/html\r\nContent-Type: text/plain", "",
       "Referer: r\r\nAccept: text/html\r\nContent-Type: text/plain\r\nAccept-Language: zh-cn", kDefaultAgent},
      // A Cookie line of the block and the cookie text both go.
      {"Cookie: own=1", "jar=2", "Cookie: own=1\r\nReferer: " + url + rest + "\r\nCookie: jar=2", kDefaultAgent},
  };
  for (const auto& c : cases) {
    Text headers = c.block;
    Text cookies = c.cookies;
    FetchPageWithin(kQuick, url, 0, "", &cookies, nullptr, &headers);
    EXPECT_EQ(headers, c.completed) << c.block;
    const RecordedRequest request = server.Requests().back();
    EXPECT_EQ(request.Headers("User-Agent"), std::vector<std::string>{c.agentOnTheWire}) << request;
    if (c.block == "Cookie: own=1") {
      EXPECT_EQ(request.Headers("Cookie"), (std::vector<std::string>{"own=1", "jar=2"})) << request;
    }
  }
}

TEST(FetchPageTest, RequestTargetStaysAValidRequestLine) {
  HttpTestServer server([](const RecordedRequest&) { return Ok(""); });
  FetchPageWithin(kQuick, server.Url("/a b\t?x=&y=\xC9\xF1"));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine, "GET /a%20b%09?x=&y=\xC9\xF1 HTTP/1.1");
}

TEST(FetchPageTest, BodyGoesWithEveryMethodButZero) {
  HttpTestServer server([](const RecordedRequest&) { return Ok(""); });
  const Text postText = "a=1&b=\xC9\xF1";
  const struct {
    int method;
    ByteBuffer postBytesBefore;
    Text requestLine;
    Text body;
    ByteBuffer postBytesAfter;
  } cases[] = {
      {1, {}, "POST / HTTP/1.1", postText, TextToBytes(postText)},  // postText fills postBytes
      {2, {}, "GET / HTTP/1.1", postText, TextToBytes(postText)},   // GET with a body
      {1, {'z', 0, 'z'}, "POST / HTTP/1.1", std::string("z\0z", 3), {'z', 0, 'z'}},
      {0, {}, "GET / HTTP/1.1", "", {}},  // no body, postBytes untouched
  };
  for (const auto& c : cases) {
    ByteBuffer postBytes = c.postBytesBefore;
    FetchPageWithin(kQuick, server.Url("/"), c.method, postText, nullptr, nullptr, nullptr, nullptr, false,
                    &postBytes);
    const RecordedRequest request = server.Requests().back();
    EXPECT_EQ(request.requestLine, c.requestLine) << "method " << c.method;
    EXPECT_EQ(request.body, c.body) << "method " << c.method;
    EXPECT_EQ(postBytes, c.postBytesAfter) << "method " << c.method;
  }
}

TEST(FetchPageTest, SetCookieLinesGiveTheirFirstItems) {
  const struct {
    std::string headers;
    Text responseCookies;
  } cases[] = {
      {"Set-Cookie: a=1; path=/; Max-Age=0\r\nSet-Cookie: b=2; HttpOnly; Max-Age=0\r\n", "a=1; b=2"},
      {"", ""},
      {"Set-Cookie: a=1; Max-Age=0\r\nSet-Cookie: c=3\r\n", "a=1; "},  // no ";": an empty item
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) { return Ok("", c.headers); });
    Text responseCookies = "stale";
    FetchPageWithin(kQuick, server.Url("/"), 0, "", nullptr, &responseCookies);
    EXPECT_EQ(responseCookies, c.responseCookies) << c.headers;
  }
}

TEST(FetchPageTest, LocationComesFromAnyLocationLineElseTheWholeBlock) {
  const struct {
    std::string headers;
    bool wholeBlock;
    Text location;
  } cases[] = {
      {"Content-Location: /here\r\n", false, "/here"},
      {"Location: http://a/1\r\nContent-Location: /2\r\n", false, "/2"},  // the last one wins
      {"X-Other: 1\r\n", true, ""},
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) { return Answer("HTTP/1.1 302 Found", c.headers, ""); });
    Text location, responseHeaders;
    FetchPageWithin(kQuick, server.Url("/"), 0, "", nullptr, nullptr, nullptr, &location, true, nullptr, nullptr,
                    &responseHeaders);
    EXPECT_EQ(location, c.wholeBlock ? responseHeaders : c.location) << c.headers;
    EXPECT_EQ(server.RequestCount(), 1u) << c.headers;  // 302: no re-fetch
  }
}

TEST(FetchPageTest, MovedPermanentlyReFetchesAtTargetPlusOldPath) {
  std::string target;
  HttpTestServer server([&target](const RecordedRequest& request) {
    if (request.requestLine == "GET /old/p?q=1 HTTP/1.1") {
      return Answer("HTTP/1.1 301 Moved Permanently", "Location: " + target + "\r\n", "was here");
    }
    return Ok("moved here");
  });
  target = server.Url("/new");
  const Text url = server.Url("/old/p?q=1");
  Text cookies = "k=v", headers, location, responseHeaders;
  const Text page = FetchPageWithin(kQuick, url, 0, "", &cookies, nullptr, &headers, &location, true, nullptr,
                                    nullptr, &responseHeaders);
  EXPECT_EQ(page, "moved here");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].requestLine, "GET /new/old/p?q=1 HTTP/1.1");
  // The completed block goes on: same Referer, and the merged cookie text in
  // a further Cookie line after the first request's one.
  EXPECT_EQ(requests[1].Header("Referer"), url);
  EXPECT_EQ(requests[1].Headers("Cookie"), (std::vector<std::string>{"k=v", "k=v"})) << requests[1];
  EXPECT_EQ(responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
  EXPECT_EQ(location, responseHeaders);  // cleared for the re-fetch, which named none
}

TEST(FetchPageTest, OnlyAnHttp11MovedAnswerNamingATargetIsReFetched) {
  const struct {
    std::string statusLine;
    bool namesTarget;
  } cases[] = {
      {"HTTP/1.1 302 Found", true},
      {"HTTP/1.0 301 Moved Permanently", true},
      {"HTTP/1.1 301 Moved Permanently", false},  // without Location there is nowhere to go
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) {
      return Answer(c.statusLine, c.namesTarget ? "Location: http://127.0.0.1:1/elsewhere\r\n" : "", "body");
    });
    Text location, responseHeaders;
    const Text page = FetchPageWithin(kQuick, server.Url("/p"), 0, "", nullptr, nullptr, nullptr, &location, true,
                                      nullptr, nullptr, &responseHeaders);
    EXPECT_EQ(page, "body") << c.statusLine;
    EXPECT_EQ(server.RequestCount(), 1u) << c.statusLine;
    EXPECT_EQ(location, c.namesTarget ? "http://127.0.0.1:1/elsewhere" : responseHeaders) << c.statusLine;
  }
}

TEST(FetchPageTest, EndlessMovedAnswersStopAtTheBound) {
  std::string target;
  int answers = 0;
  HttpTestServer server([&](const RecordedRequest&) {
    ++answers;
    return Answer("HTTP/1.1 301 Moved Permanently", "Location: " + target + "\r\n", "hop " + std::to_string(answers));
  });
  target = server.Url("");
  Text location;
  const Text page =
      FetchPageWithin(kQuick, server.Url("/loop"), 0, "", nullptr, nullptr, nullptr, &location, true);
  EXPECT_EQ(server.RequestCount(), 1u + kMaxMovedRefetches);
  EXPECT_EQ(page, "hop " + std::to_string(1 + kMaxMovedRefetches));  // the last answer, as it stands
  EXPECT_EQ(location, target);
  for (const RecordedRequest& request : server.Requests()) EXPECT_EQ(request.requestLine, "GET /loop HTTP/1.1");

  // With the service following redirects itself, both bounds apply in turn
  // and the fetch still ends.
  const std::size_t before = server.RequestCount();
  FetchPageWithin(kQuick, server.Url("/loop"));
  const std::size_t made = server.RequestCount() - before;
  EXPECT_GT(made, 1u);
  EXPECT_LE(made, (1u + kMaxMovedRefetches) * (1u + platform::kMaxAutomaticRedirects));
}

TEST(FetchPageTest, Utf8DecisionByBodyPositionOrHeaders) {
  const std::string utf8Text = "\xE4\xBD\xA0\xE5\xA5\xBD";  // "你好" in UTF-8
  const Text gbkText = Gbk("你好");
  const struct {
    const char* name;
    std::string headers;
    std::string body;
    Text page;
  } cases[] = {
      {"utf-8 at byte 499", "", std::string(498, 'a') + "utf-8" + utf8Text, std::string(498, 'a') + "utf-8" + gbkText},
      {"utf-8 at byte 500", "", std::string(499, 'a') + "utf-8" + utf8Text, std::string(499, 'a') + "utf-8" + utf8Text},
      {"capitals in the body", "", "UTF-8" + utf8Text, "UTF-8" + utf8Text},
      {"capitals in the headers", "Content-Type: text/html; charset=UTF-8\r\n", utf8Text, gbkText},
      {"empty body", "Content-Type: text/html; charset=utf-8\r\n", "", ""},
      {"ill-formed UTF-8", "", "utf-8\xFF", "utf-8?"},
      {"NUL ends the page", "", std::string("abc\0def", 7), "abc"},
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) { return Ok(c.body, c.headers); });
    EXPECT_EQ(FetchPageWithin(kQuick, server.Url("/")), c.page) << c.name;
  }
}

TEST(FetchPageTest, HeaderBlockOver4999BytesCountsAsMissing) {
  // Status line, Content-Length, the final CR LF and "X-Pad: " with its CR LF
  // take 47 bytes besides the padding.
  for (const int blockSize : {4999, 5000}) {
    const std::string pad(static_cast<std::size_t>(blockSize - 47), 'p');
    HttpTestServer server([&pad](const RecordedRequest&) { return Ok("body", "X-Pad: " + pad + "\r\n"); });
    Text responseHeaders, location;
    Text responseCookies = "stale";
    const Text page = FetchPageWithin(kQuick, server.Url("/"), 0, "", nullptr, &responseCookies, nullptr, &location,
                                      false, nullptr, nullptr, &responseHeaders);
    EXPECT_EQ(page, "body") << blockSize;
    EXPECT_EQ(responseCookies, "") << blockSize;
    if (blockSize == 4999) {
      EXPECT_EQ(responseHeaders.size(), 4999u);
      EXPECT_EQ(responseHeaders.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    } else {
      EXPECT_EQ(responseHeaders, kNoHeaderBlock);
      EXPECT_EQ(location, kNoHeaderBlock);
    }
  }
}

TEST(FetchPageTest, CookieMergingOnUsesTheCallersJarOnly) {
  HttpTestServer server([](const RecordedRequest&) {
    return Ok("", "Set-Cookie: sid=2; Path=/\r\nSet-Cookie: theme=deleted; Path=/\r\n");
  });
  Text cookies = "sid=1; lang=en; theme=dark";
  Text responseCookies;
  FetchPageWithin(kQuick, server.Url("/"), 0, "", &cookies, &responseCookies);
  EXPECT_EQ(cookies, "sid=2; lang=en");
  EXPECT_EQ(responseCookies, "sid=2;theme=deleted");

  // The next request sends the merged jar, and nothing was stored besides it.
  FetchPageWithin(kQuick, server.Url("/"), 0, "", &cookies);
  const auto requests = server.Requests();
  EXPECT_EQ(requests[0].Headers("Cookie"), std::vector<std::string>{"sid=1; lang=en; theme=dark"});
  EXPECT_EQ(requests[1].Headers("Cookie"), std::vector<std::string>{"sid=2; lang=en"});
}

TEST(FetchPageTest, CookieMergingOffUsesTheProcessStore) {
  HttpTestServer server([](const RecordedRequest& request) {
    if (request.requestLine == "GET /set HTTP/1.1") return Ok("", "Set-Cookie: fetchStore=7; Path=/\r\n");
    return Ok("");
  });
  Text responseCookies;
  FetchPageWithin(kQuick, server.Url("/set"), 0, "", nullptr, &responseCookies);
  EXPECT_EQ(responseCookies, "fetchStore=7");
  FetchPageWithin(kQuick, server.Url("/next"));
  EXPECT_NE(server.Requests()[1].Header("Cookie").find("fetchStore=7"), std::string::npos) << server.Requests()[1];
}

TEST(FetchPageTest, FailedSendGivesEmptyResultsAndStillMergesCookies) {
  const Text url = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  Text cookies = "a=1; a=2; x=deleted";
  Text responseCookies = "stale", location, responseHeaders, headers;
  const auto start = std::chrono::steady_clock::now();
  const Text page = FetchPageWithin(kQuick, url, 0, "", &cookies, &responseCookies, &headers, &location, false,
                                    nullptr, nullptr, &responseHeaders);
  // Generous: this only guards against a hang on a refused connection.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(page, "");
  EXPECT_EQ(cookies, "a=1");
  EXPECT_EQ(responseCookies, "");
  EXPECT_EQ(responseHeaders, kNoHeaderBlock);
  EXPECT_EQ(location, kNoHeaderBlock);
  EXPECT_EQ(Left(headers, 9), "Referer: ");

  // The default entry point, with the default waits, returns just as soon.
  const auto defaultStart = std::chrono::steady_clock::now();
  EXPECT_EQ(FetchPage(url), "");
  EXPECT_LT(std::chrono::steady_clock::now() - defaultStart, 1s);
}

TEST(FetchPageTest, RequestThatCannotBeOpenedLeavesEveryArgumentAlone) {
  Text cookies = "a=1; a=2", responseCookies = "rc", headers = "X: 1", location = "loc", responseHeaders = "rh";
  ByteBuffer postBytes;
  // A host holding a space cannot be connected to.
  EXPECT_EQ(FetchPageWithin(kQuick, "http://bad host/x", 1, "body", &cookies, &responseCookies, &headers, &location,
                            false, &postBytes, nullptr, &responseHeaders),
            "");
  EXPECT_EQ(cookies, "a=1; a=2");
  EXPECT_EQ(responseCookies, "rc");
  EXPECT_EQ(headers, "X: 1");
  EXPECT_EQ(location, "loc");
  EXPECT_EQ(responseHeaders, "rh");
  EXPECT_TRUE(postBytes.empty());
}

TEST(FetchPageTest, StalledOrBrokenServerGivesWhatArrivedWithinTheBound) {
  const struct {
    const char* name;
    Reply reply;
    Text page;
    bool headersArrived;
  } cases[] = {
      {"silent", Reply{"", AfterReply::Stall}, "", false},
      {"stall in the body", Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", AfterReply::Stall}, "abc", true},
      {"closed in the body", Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"}, "abc", true},
  };
  for (const auto& c : cases) {
    HttpTestServer server([&c](const RecordedRequest&) { return c.reply; });
    Text responseHeaders;
    const auto start = std::chrono::steady_clock::now();
    const Text page = FetchPageWithin(kQuick, server.Url("/"), 0, "", nullptr, nullptr, nullptr, nullptr, false,
                                      nullptr, nullptr, &responseHeaders);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << c.name;  // 1 s bound; 30 s would be a hang
    EXPECT_EQ(page, c.page) << c.name;
    EXPECT_EQ(responseHeaders != kNoHeaderBlock, c.headersArrived) << c.name;
  }
  // A reset in the middle of the body: no crash, at most what was sent.
  HttpTestServer resetting([](const RecordedRequest&) {
    return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", AfterReply::Reset};
  });
  const Text page = FetchPageWithin(kQuick, resetting.Url("/"));
  EXPECT_TRUE(page == "" || page == "abc") << page;
}

TEST(FetchPageTest, SecureUrlsUseTls) {
  // A plain-HTTP server cannot complete a TLS handshake: an HTTPS URL (in any
  // letter case) fails like any unreachable server instead of going plain.
  HttpTestServer server([](const RecordedRequest&) { return Ok("plain"); });
  const Text port = std::to_string(server.Port());
  for (const Text scheme : {"https", "HTTPS"}) {
    Text responseHeaders;
    EXPECT_EQ(FetchPageWithin(kQuick, scheme + "://127.0.0.1:" + port + "/", 0, "", nullptr, nullptr, nullptr,
                              nullptr, false, nullptr, nullptr, &responseHeaders),
              "");
    EXPECT_EQ(responseHeaders, kNoHeaderBlock);
  }
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(FetchPageTest, SuppliedProxySendsPlainHttpThroughIt) {
  HttpTestServer proxy([](const RecordedRequest&) { return Ok("via proxy"); });
  const Text proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
  EXPECT_EQ(FetchPageWithin(kQuick, "http://origin.invalid/p", 0, "", nullptr, nullptr, nullptr, nullptr, false,
                            nullptr, &proxyAddress),
            "via proxy");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  EXPECT_EQ(proxy.Requests()[0].requestLine, "GET http://origin.invalid/p HTTP/1.1");

  // Supplied but empty: the list "http=" names no proxy, so the request goes direct.
  HttpTestServer direct([](const RecordedRequest&) { return Ok("direct"); });
  const Text empty;
  EXPECT_EQ(FetchPageWithin(kQuick, direct.Url("/"), 0, "", nullptr, nullptr, nullptr, nullptr, false, nullptr, &empty),
            "direct");
}

}  // namespace
}  // namespace morvessa
