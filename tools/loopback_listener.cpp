#include "tools/loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvessa::tools {
namespace {

// A request head larger than this is refused; the client's requests are a
// few hundred bytes.
constexpr std::size_t kMaxRequestHead = 64 * 1024;

// How long a connection may take to send its request, so that a silent
// client cannot hold the single serving thread for ever.
constexpr int kReceiveTimeoutSeconds = 5;

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 405: return "Method Not Allowed";
    default: return "Error";
  }
}

void SendAll(int connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the client went away; nothing more to do
    sent += static_cast<std::size_t>(n);
  }
}

// The request head up to and including its blank line; empty when the client
// closed, timed out or sent too much first.
std::string ReadRequestHead(int connection) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (head.size() > kMaxRequestHead) return {};
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return head;
}

}  // namespace

LoopbackListener::~LoopbackListener() {
  if (socket_ >= 0) ::close(socket_);
}

bool LoopbackListener::Open(int port, std::string& error) {
  socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  const int on = 1;
  ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  if (::listen(socket_, 64) != 0) {
    error = std::string("listen: ") + std::strerror(errno);
    return false;
  }
  socklen_t length = sizeof address;
  ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  return true;
}

void LoopbackListener::Serve(const Handler& handler, const volatile std::sig_atomic_t& stopRequested) {
  while (stopRequested == 0) {
    pollfd waiting{socket_, POLLIN, 0};
    if (::poll(&waiting, 1, 500) <= 0) continue;  // timeout or a signal: look at the flag
    const int connection = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    ServeConnection(connection, handler);
    ::close(connection);
  }
}

void LoopbackListener::ServeConnection(int connection, const Handler& handler) {
  timeval timeout{kReceiveTimeoutSeconds, 0};
  ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  const std::string head = ReadRequestHead(connection);
  if (head.empty()) return;

  // "METHOD TARGET VERSION" on the first line.
  const std::string requestLine = head.substr(0, head.find("\r\n"));
  const auto firstBlank = requestLine.find(' ');
  const auto lastBlank = requestLine.rfind(' ');
  HttpAnswer answer;
  if (firstBlank == std::string::npos || lastBlank == firstBlank) {
    answer = {400, "text/plain", "bad request line\n"};
  } else {
    answer = handler(requestLine.substr(0, firstBlank),
                     requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1));
  }
  std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonPhrase(answer.status) + "\r\n";
  if (!answer.contentType.empty()) reply += "Content-Type: " + answer.contentType + "\r\n";
  reply += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
  reply += "Connection: close\r\n\r\n";
  reply += answer.body;
  SendAll(connection, reply);
  // Tell the client that nothing more comes before closing, so that the
  // answer is not lost to a reset.
  ::shutdown(connection, SHUT_WR);
}

}  // namespace morvessa::tools
