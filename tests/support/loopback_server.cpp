#include "support/loopback_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

namespace llmbridge::testing {

namespace {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The value of header `name` (lowercase) in a request head, or empty.
std::string HeaderValue(const std::string& head, const std::string& name) {
  const std::string lower = Lowercase(head);
  const size_t at = lower.find("\r\n" + name + ":");
  if (at == std::string::npos) return std::string();
  const size_t start = head.find_first_not_of(' ', at + 3 + name.size());
  return head.substr(start, head.find("\r\n", start) - start);
}

bool SendAll(SocketHandle connection, const char* bytes, size_t count) {
  while (count > 0) {
    const int sent = static_cast<int>(send(connection, bytes, static_cast<int>(count), 0));
    if (sent <= 0) return false;
    bytes += sent;
    count -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

ScriptedReply HttpReply(int status, const std::string& body, const std::string& extra_headers) {
  const char* reason = status == 200 ? "OK" : status < 400 ? "Redirect" : "Error";
  ScriptedReply reply;
  reply.bytes =
      "HTTP/1.1 " + std::to_string(status) + " " + reason +
      "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\nConnection: close\r\n" + extra_headers + "\r\n" + body;
  return reply;
}

ScriptedReply EventStreamReply(const std::vector<std::string>& pieces, int delay_ms) {
  ScriptedReply reply;
  reply.bytes =
      "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-cache\r\n"
      "Connection: close\r\n\r\n";
  for (const std::string& piece : pieces) reply.parts.emplace_back(delay_ms, piece);
  return reply;
}

LoopbackServer::LoopbackServer() {
  StartTestSockets();
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // any free port
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener_, 16);
  SocketLength length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  thread_.join();
  CloseSocket(listener_);
}

std::string LoopbackServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

void LoopbackServer::Script(ScriptedReply reply) {
  std::lock_guard<std::mutex> guard(lock_);
  replies_.push_back(std::move(reply));
}

std::vector<std::string> LoopbackServer::Requests() {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void LoopbackServer::Serve() {
  while (!stopping_) {
    // Wake up regularly to notice the destructor.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait{0, 20000};
    if (select(static_cast<int>(listener_) + 1, &readable, nullptr, nullptr, &wait) <= 0) continue;
    const SocketHandle connection = accept(listener_, nullptr, nullptr);
    if (connection == kNoSocket) continue;
    Answer(connection);
    CloseSocket(connection);
  }
}

void LoopbackServer::Answer(SocketHandle connection) {
  std::string received;
  char chunk[65536];
  size_t head_end = std::string::npos;
  size_t wanted = 0;
  bool continued = false;
  while (head_end == std::string::npos || received.size() < wanted) {
    const int count = static_cast<int>(recv(connection, chunk, sizeof chunk, 0));
    if (count <= 0) break;
    received.append(chunk, static_cast<size_t>(count));
    if (head_end == std::string::npos &&
        (head_end = received.find("\r\n\r\n")) != std::string::npos) {
      const std::string head = received.substr(0, head_end);
      const std::string length = HeaderValue(head, "content-length");
      wanted = head_end + 4 + (length.empty() ? 0 : std::stoul(length));
      if (!continued && Lowercase(HeaderValue(head, "expect")) == "100-continue") {
        SendAll(connection, "HTTP/1.1 100 Continue\r\n\r\n", 25);
        continued = true;
      }
    }
  }

  ScriptedReply reply;
  {
    std::lock_guard<std::mutex> guard(lock_);
    requests_.push_back(received);
    if (replies_.empty()) {
      reply = HttpReply(500, "{\"error\": \"no scripted reply\"}");
    } else {
      reply = std::move(replies_.front());
      replies_.pop_front();
    }
  }
  if (!Wait(reply.delay_ms)) return;
  if (!SendAll(connection, reply.bytes.data(), std::min(reply.close_after, reply.bytes.size())))
    return;
  for (const auto& [delay_ms, bytes] : reply.parts) {
    if (!Wait(delay_ms) || !SendAll(connection, bytes.data(), bytes.size())) return;
  }
}

bool LoopbackServer::Wait(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (stopping_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 5)));
  }
  return true;
}

}  // namespace llmbridge::testing
