#include "platform/http_wire.h"

#include <gtest/gtest.h>

namespace morvessa::platform {
namespace {

TEST(HttpWireTest, RequestTargetEncodesOnlySpacesAndControlBytes) {
  const struct {
    std::string objectName;
    std::string onTheWire;
  } cases[] = {
      {"/a?b=1&c=2", "/a?b=1&c=2"},
      {"/a b", "/a%20b"},
      {std::string("/\t\r\n\x7F\0x", 7), "/%09%0D%0A%7F%00x"},
      {"/%41", "/%41"},                  // an existing escape stays as written
      {"/q=\xC9\xF1\xD6\xDB", "/q=\xC9\xF1\xD6\xDB"},  // double-byte characters as they are
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeRequestTarget(c.objectName), c.onTheWire) << c.objectName;
}

TEST(HttpWireTest, HeaderBlockSplitsAtEveryLineBreak) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(HeaderBlockLines(""), Lines{});
  EXPECT_EQ(HeaderBlockLines("A: 1\r\nB: 2"), (Lines{"A: 1", "B: 2"}));
  EXPECT_EQ(HeaderBlockLines("A: 1\r\n\r\nB: 2\r\n"), (Lines{"A: 1", "B: 2"}));
  // A lone LF or CR must not smuggle a line onto the wire inside a header.
  EXPECT_EQ(HeaderBlockLines("A: 1\nX: evil\rB: 2"), (Lines{"A: 1", "X: evil", "B: 2"}));
}

TEST(HttpWireTest, ProxyListChoosesTheEntryOfTheScheme) {
  const struct {
    std::string list;
    std::string scheme;
    std::string proxy;
  } cases[] = {
      {"http=127.0.0.1:8080", "http", "127.0.0.1:8080"},
      {"http=127.0.0.1:8080", "https", ""},   // HTTPS goes direct
      {"http=", "http", ""},                  // an empty proxy means direct
      {"", "http", ""},
      {"HTTP=p:1", "http", "p:1"},
      {"https=s:443 http=p:80", "http", "p:80"},
      {"https=s:443;http=p:80", "https", "s:443"},
      {"all:3128", "https", "all:3128"},      // an entry without scheme serves all
  };
  for (const auto& c : cases) EXPECT_EQ(ProxyForScheme(c.list, c.scheme), c.proxy) << c.list << " " << c.scheme;
}

}  // namespace
}  // namespace morvessa::platform
