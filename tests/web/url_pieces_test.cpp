#include <gtest/gtest.h>

#include "web/fetch_page.h"

namespace morvessa {
namespace {

TEST(UrlPiecesTest, HostPortAndPathOfAUrl) {
  const struct {
    Text url;
    Text host;
    Text hostWithPort;
    int port;
    Text path;
  } cases[] = {
      {"http://www.Example.com/A/b?C=D", "www.example.com", "www.example.com", 80, "/A/b?C=D"},
      {"www.example.com/x", "www.example.com", "www.example.com", 80, "/x"},  // no scheme: HTTP
      // No scheme, but "http://" in the query: the host comes from there.
      {"example.com/q?u=http://inner.host/p", "inner.host", "inner.host", 80, "/p"},
      {"HTTPS://Secure.Example.com", "secure.example.com", "secure.example.com", 443, "/"},
      {"http://host:8080/p", "host", "host:8080", 8080, "/p"},
      {"https://host:8443", "host", "host:8443", 8443, "/"},
      {"http://host", "host", "host", 80, "/"},
      {"http://host:/x", "host", "host:", 0, "/x"},
      {"http://host/\xC9\xF1?a=\xD6\xDB&B=C", "host", "host", 80, "/\xC9\xF1?a=\xD6\xDB&B=C"},
      // A host whose name also occurs in the scheme is still found after it.
      {"http://p/x", "p", "p", 80, "/x"},
      {"HTTPS://tps:1/x", "tps", "tps:1", 1, "/x"},
      {"", "", "", 80, "/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
    EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort) << c.url;
    EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(UrlPath(c.url), c.path) << c.url;
  }
}

TEST(HeaderValueTest, TrimmedTextAfterTheFirstColon) {
  EXPECT_EQ(HeaderValue("Location: http://a:1/b"), "http://a:1/b");
  EXPECT_EQ(HeaderValue("X:  v \xA1\xA1"), "v");
  EXPECT_EQ(HeaderValue("X:"), "");
  EXPECT_EQ(HeaderValue("no colon"), "");
  EXPECT_EQ(HeaderValue(""), "");
}

}  // namespace
}  // namespace morvessa
