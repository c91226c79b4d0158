// A scripted HTTP server on 127.0.0.1, inside the test process: it records every request byte
// for byte and answers each connection with the next scripted reply.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/test_socket.h"

namespace llmbridge::testing {

struct ScriptedReply {
  std::string bytes;                       // sent as they are, status line included
  size_t close_after = std::string::npos;  // stop after this many bytes: a broken transfer
  int delay_ms = 0;                        // wait this long before answering
  // Sent after `bytes`, each after its own wait in milliseconds: a reply that streams in. The
  // server stops early when the client has gone.
  std::vector<std::pair<int, std::string>> parts;
};

// A complete reply with a Content-Length header: "HTTP/1.1 <status> <reason>".
ScriptedReply HttpReply(int status, const std::string& body,
                        const std::string& extra_headers = std::string());

// A text/event-stream reply of status 200 without a length, the connection's close ending it:
// the head at once, then each piece of the stream after `delay_ms`.
ScriptedReply EventStreamReply(const std::vector<std::string>& pieces, int delay_ms = 0);

class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t port() const { return port_; }
  std::string Address() const;  // "127.0.0.1:<port>"

  // Queues the reply for the next connection; connections with none queued get a 500.
  void Script(ScriptedReply reply);
  // Every request received so far: request line, header lines and body, as they arrived.
  std::vector<std::string> Requests();

 private:
  void Serve();
  void Answer(SocketHandle connection);
  // Sleeps `ms` milliseconds, or less when the server is stopping; false then.
  bool Wait(int ms);

  SocketHandle listener_ = kNoSocket;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex lock_;
  std::deque<ScriptedReply> replies_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace llmbridge::testing
