// A small HTTP server for tests and stand-in tools: it listens on 127.0.0.1
// at a port the system picks, runs in its own threads from construction to
// destruction, records every request it receives byte for byte, and answers
// each one with exactly the bytes the owner's handler returns. Nothing is
// added or corrected: a handler that wants a Content-Length, chunked coding or
// "Connection: close" writes it itself, so malformed, truncated, stalled and
// reset answers are as easy to produce as good ones.
//
//   HttpTestServer server([](const RecordedRequest& request) {
//     return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi"};
//   });
//   ... fetch server.Url("/page") ...
//   EXPECT_EQ(server.Requests().at(0).requestLine, "GET /page HTTP/1.1");
//
// Free of any test framework, so that tool programs can link it too.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvessa::testing {

// One request as it arrived on the wire.
struct RecordedRequest {
  std::string requestLine;  // e.g. "GET /a?b HTTP/1.1", without its CR LF
  // The header lines after the request line, each without its CR LF, joined
  // by "\r\n" (no line break after the last one); empty when there are none.
  std::string headerBlock;
  std::string body;  // Content-Length bytes (raw chunks when chunked)
  std::string raw;   // everything received for this request, as received
  int connection = 0;  // 1 for the first connection accepted, 2 for the next...

  // The value of the first header line named `name` (ASCII case ignored),
  // without the blanks around it; empty when there is none.
  std::string Header(const std::string& name) const;
  // The values of every header line named `name`, in order.
  std::vector<std::string> Headers(const std::string& name) const;
};

// What the server does after writing a reply's bytes.
enum class AfterReply {
  Close,      // shut the connection down in an orderly way (FIN)
  KeepAlive,  // read the next request on the same connection
  Stall,      // send nothing more and hold the connection open until the
              // client gives up or the server is destroyed
  Reset,      // abort the connection (RST), e.g. in the middle of a body
};

struct Reply {
  std::string bytes;  // written exactly as given, possibly nothing
  AfterReply after = AfterReply::Close;
  // Waited before the bytes are written (a slow server). The wait ends early
  // when the server is destroyed.
  std::chrono::milliseconds delay{0};
};

class HttpTestServer {
 public:
  // Called once per complete request, on a server thread; calls never
  // overlap, so a handler may keep simple state of its own.
  using Handler = std::function<Reply(const RecordedRequest&)>;

  // Starts listening at once. Aborts the program when no socket can be
  // opened, since no test can run without one.
  explicit HttpTestServer(Handler handler);
  // Stops accepting, ends stalls and delays, closes every connection and joins
  // the threads.
  ~HttpTestServer();

  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  int Port() const;
  // "http://127.0.0.1:" + port + path, e.g. Url("/a") .
  std::string Url(const std::string& path = "/") const;

  // The requests received so far, in the order they were completed.
  std::vector<RecordedRequest> Requests() const;
  std::size_t RequestCount() const;
  // Connections accepted so far (whether or not a request arrived on them).
  int ConnectionCount() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace morvessa::testing
