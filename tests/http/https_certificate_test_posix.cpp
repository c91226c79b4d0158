// An HTTPS server whose certificate fails verification: the transfer fails with status "0" and
// libcurl's message. POSIX only: under Wine, Schannel accepts any certificate unless told which
// authorities to trust, so the case means nothing there. The server is openssl's own, with a
// self-signed certificate made for the test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "http/http_request.h"
#include "support/test_socket_posix.h"

namespace llmbridge {
namespace {

// A port that was free a moment ago.
int FreePort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected =
      connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(client);
  return connected;
}

class SelfSignedServer {
 public:
  SelfSignedServer() : folder_(MakeFolder()), port_(FreePort()) {
    const std::string make_certificate =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout " + folder_ +
        "/key.pem -out " + folder_ + "/cert.pem >/dev/null 2>&1";
    if (std::system(make_certificate.c_str()) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const std::string accept = std::to_string(port_);
      const std::string cert = folder_ + "/cert.pem";
      const std::string key = folder_ + "/key.pem";
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      execlp("openssl", "openssl", "s_server", "-quiet", "-accept", accept.c_str(), "-cert",
             cert.c_str(), "-key", key.c_str(), "-www", static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 200 && !Accepts(port_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ~SelfSignedServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::system(("rm -rf " + folder_).c_str());
  }
  bool running() const { return pid_ > 0 && Accepts(port_); }
  int port() const { return port_; }

 private:
  static std::string MakeFolder() {
    char pattern[] = "/tmp/llmbridge-tls-XXXXXX";
    return mkdtemp(pattern) != nullptr ? pattern : "/tmp";
  }

  std::string folder_;
  int port_;
  pid_t pid_ = -1;
};

TEST(HttpsRequest, ACertificateThatFailsVerificationGivesStatusZero) {
  SelfSignedServer server;
  if (!server.running()) GTEST_SKIP() << "openssl could not start a test server";
  const std::string url = "https://127.0.0.1:" + std::to_string(server.port()) + "/";
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Text(url.begin(), url.end()), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(HttpRequestInfo(*request, kHttpStatusCode), u"0");
  EXPECT_EQ(HttpRequestInfo(*request, kHttpResponseBody), u"");
  const Text message = HttpRequestInfo(*request, kHttpErrorMessage);
  EXPECT_NE(message.find(u"certificate"), Text::npos)
      << std::string(message.begin(), message.end());
}

}  // namespace
}  // namespace llmbridge
