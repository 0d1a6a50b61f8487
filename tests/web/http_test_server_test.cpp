// The scripted HTTP server that the fetch tests rely on, driven by a plain
// socket client so that what it records and sends is checked byte for byte.
#include "support/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace morvessa::testing {
namespace {

// A blocking client socket connected to the server.
class RawClient {
 public:
  explicit RawClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() { close(fd_); }
  bool Connected() const { return connected_; }
  // True when bytes (or the end of the stream) arrive within `ms`.
  bool ReadableWithin(int ms) const {
    pollfd ready{fd_, POLLIN, 0};
    return poll(&ready, 1, ms) == 1;
  }
  void Send(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  // Reads until `count` bytes arrived or the stream ends; errno of a failed
  // read is left in `error`.
  std::string Receive(std::size_t count, int* error = nullptr) {
    std::string got;
    char chunk[1024];
    while (got.size() < count) {
      const ssize_t n = read(fd_, chunk, std::min(sizeof chunk, count - got.size()));
      if (n <= 0) {
        if (error != nullptr) *error = n < 0 ? errno : 0;
        break;
      }
      got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  int fd_;
  bool connected_ = false;
};

TEST(HttpTestServerTest, RecordsRequestAndSendsReplyBytesUnchanged) {
  HttpTestServer server([](const RecordedRequest& request) {
    return Reply{"HTTP/1.1 200 OK\r\n\r\nbody for " + request.body};
  });
  RawClient client(server.Port());
  ASSERT_TRUE(client.Connected());
  client.Send("POST /a%20b?x=1 HTTP/1.1\r\nHost: h\r\ncontent-length: 3\r\nX-Two: 2\r\n\r\nabc");
  EXPECT_EQ(client.Receive(1000), "HTTP/1.1 200 OK\r\n\r\nbody for abc");

  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.requestLine, "POST /a%20b?x=1 HTTP/1.1");
  EXPECT_EQ(request.headerBlock, "Host: h\r\ncontent-length: 3\r\nX-Two: 2");
  EXPECT_EQ(request.body, "abc");
  EXPECT_EQ(request.Header("Content-Length"), "3");
  EXPECT_EQ(request.Header("Missing"), "");
  EXPECT_EQ(request.connection, 1);
}

TEST(HttpTestServerTest, ChunkedRequestBodyIsKeptRaw) {
  HttpTestServer server([](const RecordedRequest&) { return Reply{"HTTP/1.1 204 No Content\r\n\r\n"}; });
  RawClient client(server.Port());
  client.Send("PUT / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n");
  client.Receive(1000);
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].body, "3\r\nabc\r\n0\r\n\r\n");
}

TEST(HttpTestServerTest, KeepAliveServesTheNextRequestOnTheSameConnection) {
  int served = 0;
  HttpTestServer server([&served](const RecordedRequest&) {
    ++served;
    return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n" + std::to_string(served), AfterReply::KeepAlive};
  });
  RawClient client(server.Port());
  client.Send("GET /1 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(client.Receive(39), "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1");
  client.Send("GET /2 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(client.Receive(39), "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2");
  EXPECT_EQ(server.ConnectionCount(), 1);
  EXPECT_EQ(server.Requests()[1].requestLine, "GET /2 HTTP/1.1");
}

TEST(HttpTestServerTest, ResetAbortsTheConnectionAfterThePartialReply) {
  HttpTestServer server([](const RecordedRequest&) {
    return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart", AfterReply::Reset};
  });
  RawClient client(server.Port());
  client.Send("GET / HTTP/1.1\r\n\r\n");
  int error = -1;
  const std::string got = client.Receive(1000, &error);
  EXPECT_EQ(error, ECONNRESET);
  EXPECT_LE(got.size(), 44u);  // data before a reset may be dropped
}

TEST(HttpTestServerTest, DestructionEndsAStall) {
  const auto start = std::chrono::steady_clock::now();
  {
    HttpTestServer server([](const RecordedRequest&) { return Reply{"HTTP/1.1 200 OK\r\n", AfterReply::Stall}; });
    RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Receive(17), "HTTP/1.1 200 OK\r\n");
  }  // the server goes first while the client still holds the connection
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(HttpTestServerTest, DelayHoldsTheReplyBackUntilDestruction) {
  const auto start = std::chrono::steady_clock::now();
  {
    HttpTestServer server([](const RecordedRequest&) {
      return Reply{"HTTP/1.1 200 OK\r\n\r\n", AfterReply::Close, std::chrono::minutes(1)};
    });
    RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    while (server.RequestCount() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(client.ReadableWithin(200));  // received, but not answered yet
  }  // destruction cuts the minute short
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace morvessa::testing
