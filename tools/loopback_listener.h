// A minimal HTTP/1.1 server for the stand-in repair server: it listens on
// 127.0.0.1 and serves one connection at a time on the calling thread,
// reading one request (its head; a body is not read) and writing one answer
// with Content-Length and "Connection: close".
#pragma once

#include <csignal>
#include <functional>
#include <string>

namespace morvessa::tools {

struct HttpAnswer {
  int status = 200;  // 200, 400 or 405
  std::string contentType;
  std::string body;
};

class LoopbackListener {
 public:
  // Called with the request method and target, e.g. "GET" and "/a?b=c".
  using Handler = std::function<HttpAnswer(const std::string& method, const std::string& target)>;

  LoopbackListener() = default;
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  // Binds 127.0.0.1:`port` (0: a port the system picks) and listens. False
  // with `error` set when that fails.
  bool Open(int port, std::string& error);
  int Port() const { return port_; }

  // Serves connections until `stopRequested` becomes non-zero (a signal
  // handler sets it; the wait for a connection wakes up at least twice a
  // second to look at it).
  void Serve(const Handler& handler, const volatile std::sig_atomic_t& stopRequested);

 private:
  void ServeConnection(int connection, const Handler& handler);

  int socket_ = -1;
  int port_ = 0;
};

}  // namespace morvessa::tools
