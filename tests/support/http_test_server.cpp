#include "http_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace morvessa::testing {
namespace {

[[noreturn]] void Fail(const char* what) {
  std::perror(what);
  std::abort();
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The header lines of `block` ("\r\n"-joined) as (name, value) pairs.
std::vector<std::pair<std::string, std::string>> HeaderFields(const std::string& block) {
  std::vector<std::pair<std::string, std::string>> fields;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string::npos) end = block.size();
    const std::string line = block.substr(start, end - start);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      fields.emplace_back(TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1)));
    }
    start = end + 2;
  }
  return fields;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  const std::vector<std::string> values = Headers(name);
  return values.empty() ? std::string() : values.front();
}

std::vector<std::string> RecordedRequest::Headers(const std::string& name) const {
  std::vector<std::string> values;
  for (const auto& [fieldName, value] : HeaderFields(headerBlock)) {
    if (EqualsIgnoringCase(fieldName, name)) values.push_back(value);
  }
  return values;
}

struct HttpTestServer::State {
  Handler handler;
  int listenFd = -1;
  int port = 0;
  // Written once at destruction and never read: from then on it is readable
  // for every poll, which wakes all threads at once.
  int wakeRead = -1;
  int wakeWrite = -1;

  std::thread acceptThread;
  std::mutex threadsMutex;
  std::vector<std::thread> connectionThreads;

  std::mutex handlerMutex;  // calls of `handler` never overlap
  mutable std::mutex requestsMutex;
  std::vector<RecordedRequest> requests;
  std::atomic<int> connections{0};

  // Waits until `fd` is ready for `events` or the server stops. True when
  // ready; false when stopping or after `timeoutMs` (-1: no limit).
  bool WaitFor(int fd, short events, int timeoutMs = -1) const {
    pollfd fds[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
    for (;;) {
      const int ready = poll(fds, 2, timeoutMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0 || fds[1].revents != 0) return false;
      return true;
    }
  }

  // Waits `delay` unless the server stops first.
  void Sleep(std::chrono::milliseconds delay) const {
    if (delay.count() <= 0) return;
    pollfd wake{wakeRead, POLLIN, 0};
    poll(&wake, 1, static_cast<int>(delay.count()));
  }

  // Appends what arrives next to `buffer`. False at end of stream, on error
  // or when the server stops.
  bool ReceiveMore(int fd, std::string& buffer) const {
    for (;;) {
      if (!WaitFor(fd, POLLIN)) return false;
      char chunk[4096];
      const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
      if (got > 0) {
        buffer.append(chunk, static_cast<std::size_t>(got));
        return true;
      }
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return false;
    }
  }

  bool SendAll(int fd, const std::string& bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      if (!WaitFor(fd, POLLOUT)) return false;
      const ssize_t done = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (done > 0) {
        sent += static_cast<std::size_t>(done);
      } else if (done < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      }
    }
    return true;
  }

  // Reads one request from the front of `buffer` (receiving more as needed)
  // and removes it from there. False when the connection ends first.
  bool ReadRequest(int fd, std::string& buffer, RecordedRequest& request) const {
    std::size_t headerEnd;
    while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (!ReceiveMore(fd, buffer)) return false;
    }
    const std::size_t lineEnd = buffer.find("\r\n");
    request.requestLine = buffer.substr(0, lineEnd);
    request.headerBlock = lineEnd < headerEnd ? buffer.substr(lineEnd + 2, headerEnd - lineEnd - 2) : "";
    const std::size_t bodyStart = headerEnd + 4;

    std::size_t bodyEnd = bodyStart;
    if (EqualsIgnoringCase(request.Header("Transfer-Encoding"), "chunked")) {
      if (!SkipChunks(fd, buffer, bodyEnd)) return false;
    } else {
      const std::string length = request.Header("Content-Length");
      bodyEnd += length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10);
      while (buffer.size() < bodyEnd) {
        if (!ReceiveMore(fd, buffer)) return false;
      }
    }
    request.body = buffer.substr(bodyStart, bodyEnd - bodyStart);
    request.raw = buffer.substr(0, bodyEnd);
    buffer.erase(0, bodyEnd);
    return true;
  }

  // Moves `position` past a chunked body (chunks, last chunk, trailers).
  bool SkipChunks(int fd, std::string& buffer, std::size_t& position) const {
    for (;;) {
      std::size_t lineEnd;
      while ((lineEnd = buffer.find("\r\n", position)) == std::string::npos) {
        if (!ReceiveMore(fd, buffer)) return false;
      }
      const std::size_t size = std::strtoull(buffer.c_str() + position, nullptr, 16);
      position = lineEnd + 2;
      if (size == 0) break;
      while (buffer.size() < position + size + 2) {
        if (!ReceiveMore(fd, buffer)) return false;
      }
      position += size + 2;
    }
    for (;;) {  // trailer lines up to the empty line
      std::size_t lineEnd;
      while ((lineEnd = buffer.find("\r\n", position)) == std::string::npos) {
        if (!ReceiveMore(fd, buffer)) return false;
      }
      const bool empty = lineEnd == position;
      position = lineEnd + 2;
      if (empty) return true;
    }
  }

  // Discards what the client still sends until it closes, the server stops
  // or `timeoutMs` passes without data (-1: no limit).
  void DrainUntilClosed(int fd, int timeoutMs) const {
    char chunk[4096];
    while (WaitFor(fd, POLLIN, timeoutMs)) {
      const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
      if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return;
    }
  }

  void Serve(int fd, int connection) {
    std::string buffer;
    for (;;) {
      RecordedRequest request;
      request.connection = connection;
      if (!ReadRequest(fd, buffer, request)) break;
      {
        std::lock_guard lock(requestsMutex);
        requests.push_back(request);
      }
      Reply reply;
      {
        std::lock_guard lock(handlerMutex);
        reply = handler(request);
      }
      Sleep(reply.delay);
      if (!SendAll(fd, reply.bytes)) break;
      if (reply.after == AfterReply::KeepAlive) continue;
      if (reply.after == AfterReply::Reset) {
        const linger abort{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        break;
      }
      if (reply.after == AfterReply::Stall) {
        DrainUntilClosed(fd, -1);
        break;
      }
      // Close: send FIN first, then read what the client may still send, so
      // that unread input does not turn the close into a reset.
      shutdown(fd, SHUT_WR);
      DrainUntilClosed(fd, 2000);
      break;
    }
    close(fd);
  }

  void AcceptLoop() {
    while (WaitFor(listenFd, POLLIN)) {
      const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) continue;
      const int connection = ++connections;
      std::lock_guard lock(threadsMutex);
      connectionThreads.emplace_back([this, fd, connection] { Serve(fd, connection); });
    }
  }
};

HttpTestServer::HttpTestServer(Handler handler) : state_(std::make_unique<State>()) {
  state_->handler = std::move(handler);
  int wake[2];
  if (pipe2(wake, O_CLOEXEC) != 0) Fail("HttpTestServer pipe");
  state_->wakeRead = wake[0];
  state_->wakeWrite = wake[1];

  state_->listenFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (state_->listenFd < 0) Fail("HttpTestServer socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free port
  if (bind(state_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    Fail("HttpTestServer bind");
  }
  if (listen(state_->listenFd, 64) != 0) Fail("HttpTestServer listen");
  socklen_t length = sizeof address;
  getsockname(state_->listenFd, reinterpret_cast<sockaddr*>(&address), &length);
  state_->port = ntohs(address.sin_port);

  state_->acceptThread = std::thread([state = state_.get()] { state->AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  const char stop = 1;
  if (write(state_->wakeWrite, &stop, 1) != 1) std::perror("HttpTestServer wake");
  state_->acceptThread.join();
  // The accept thread has ended, so no connection thread is added any more.
  for (std::thread& thread : state_->connectionThreads) thread.join();
  close(state_->listenFd);
  close(state_->wakeRead);
  close(state_->wakeWrite);
}

int HttpTestServer::Port() const { return state_->port; }

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + path;
}

std::vector<RecordedRequest> HttpTestServer::Requests() const {
  std::lock_guard lock(state_->requestsMutex);
  return state_->requests;
}

std::size_t HttpTestServer::RequestCount() const {
  std::lock_guard lock(state_->requestsMutex);
  return state_->requests.size();
}

int HttpTestServer::ConnectionCount() const { return state_->connections.load(); }

}  // namespace morvessa::testing
