// HTTPS through the HTTP layer against a local TLS server whose certificate
// no authority signed: the layer must refuse it, not talk to it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "platform/http_session.h"

namespace morvessa::platform {
namespace {

using namespace std::chrono_literals;

// Serves one TLS connection on 127.0.0.1 with a fresh self-signed
// certificate, and reports how the handshake ended.
class SelfSignedTlsServer {
 public:
  SelfSignedTlsServer() {
    key_ = EVP_EC_gen("P-256");
    certificate_ = X509_new();
    X509_set_version(certificate_, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate_), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate_), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate_), 3600);
    X509_set_pubkey(certificate_, key_);
    X509_NAME* name = X509_get_subject_name(certificate_);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1,
                               -1, 0);
    X509_set_issuer_name(certificate_, name);
    X509_sign(certificate_, key_, EVP_sha256());
    context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(context_, certificate_);
    SSL_CTX_use_PrivateKey(context_, key_);

    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listenFd_, 4);
    socklen_t length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { ServeOne(); });
  }
  ~SelfSignedTlsServer() {
    WaitUntilDone();
    close(listenFd_);
    SSL_CTX_free(context_);
    X509_free(certificate_);
    EVP_PKEY_free(key_);
  }

  int Port() const { return port_; }
  // Waits until the one connection has been served (or 5 s passed without
  // one); the results below are final from then on.
  void WaitUntilDone() {
    if (thread_.joinable()) thread_.join();
  }
  bool handshakeCompleted = false;
  int failureReason = 0;
  bool requestArrived = false;

 private:
  void ServeOne() {
    pollfd ready{listenFd_, POLLIN, 0};
    if (poll(&ready, 1, 5000) != 1) return;  // nobody came: nothing to serve
    const int fd = accept(listenFd_, nullptr, nullptr);
    const timeval timeout{5, 0};  // bounds every read below
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
      handshakeCompleted = true;
      char buffer[4096];
      requestArrived = SSL_read(ssl, buffer, sizeof buffer) > 0;
      const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
      SSL_write(ssl, reply, sizeof reply - 1);
      SSL_shutdown(ssl);
    } else {
      failureReason = ERR_GET_REASON(ERR_peek_last_error());
    }
    SSL_free(ssl);
    close(fd);
  }

  EVP_PKEY* key_ = nullptr;
  X509* certificate_ = nullptr;
  SSL_CTX* context_ = nullptr;
  int listenFd_ = -1;
  int port_ = 0;
  std::thread thread_;
};

TEST(HttpTlsTest, UntrustedCertificateFailsTheRequest) {
  SelfSignedTlsServer server;
  auto session = HttpSession::Open("a", std::nullopt, HttpTimeouts{3000ms, 3000ms});
  auto connection = session->Connect("127.0.0.1", server.Port());
  auto request = connection->OpenRequest("GET", "/", "HTTP/1.1", http_flags::kSecure);
  ASSERT_NE(request, nullptr);
  EXPECT_FALSE(request->Send("", nullptr));
  std::uint8_t piece[16];
  EXPECT_EQ(request->Read(piece, sizeof piece), 0u);

  server.WaitUntilDone();
  EXPECT_FALSE(server.handshakeCompleted);
  EXPECT_FALSE(server.requestArrived);
  // The client broke the handshake off because no known authority signed the
  // certificate, not for some other reason.
  EXPECT_EQ(server.failureReason, SSL_R_TLSV1_ALERT_UNKNOWN_CA);
}

}  // namespace
}  // namespace morvessa::platform
