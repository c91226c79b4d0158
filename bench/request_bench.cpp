// request_bench: the cost of a chat call through the library against the same requests made
// directly with libcurl, and the library's memory over many calls.
//
//   request_bench <libllmbridge.so> <mock server address> [calls] [memory calls]
//
// Both loops hold the same conversations against the same server: up to 20 turns, then one
// request for an unknown model, whose error ends the conversation (the library empties its log;
// the direct loop does the same with its own). The direct loop uses a new easy handle per
// request, the same options and the same bodies.
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "library_exports.h"

namespace {

constexpr int kTurnsPerConversation = 20;

bool EndsConversation(int call) {
  return call % (kTurnsPerConversation + 1) == kTurnsPerConversation;
}

std::string Prompt(int call) {
  return "Question number " + std::to_string(call) + ", please answer briefly.";
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

size_t Collect(char* bytes, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(bytes, size * count);
  return size * count;
}

// One request as the library makes it: same options, a new handle each time.
std::string Post(const std::string& url, const std::string& body, curl_slist* headers,
                 long& status) {
  std::string answer;
  std::string head;
  char error[CURL_ERROR_SIZE] = {};
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/5.0 Gecko/41.0 Firefox/41.0");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &head);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 30000L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
  curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTREDIR, CURL_REDIR_POST_301 | CURL_REDIR_POST_302);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS, CURLSSLOPT_REVOKE_BEST_EFFORT);
  status = curl_easy_perform(curl) == CURLE_OK ? 0 : -1;
  if (status == 0) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  return answer;
}

// The chat body exactly as the library builds it.
std::string ChatBody(const std::string& model, const std::string& log) {
  return "{\"max_tokens\": 100, \"model\": \"" + model +
         "\", \"temperature\": 0.5, \"stream\": false, \"n\": 1, "
         "\"messages\": [" +
         log + "]}";
}

double DirectLoop(const std::string& address, int calls) {
  const std::string url = "http://" + address + "/v1/chat/completions";
  curl_slist* headers = curl_slist_append(nullptr, "content-type: application/json");
  headers = curl_slist_append(headers, "Authorization: Bearer sk-mock");
  headers = curl_slist_append(headers, "Expect:");
  std::string log;
  const auto start = std::chrono::steady_clock::now();
  for (int call = 0; call < calls; ++call) {
    long status = 0;
    if (EndsConversation(call)) {
      Post(url, ChatBody("unknown-model", log + "{\"role\": \"user\", \"content\": \"x\"}"),
           headers, status);
      log.clear();
      continue;
    }
    log += "{\"role\": \"user\", \"content\": \"" + Prompt(call) + "\"}";
    const std::string answer = Post(url, ChatBody("mock-small", log), headers, status);
    const std::string reply = nlohmann::json::parse(answer)["choices"][0]["message"]["content"];
    log += ",{\"role\": \"assistant\", \"content\": \"" + reply + "\"},";
  }
  const auto end = std::chrono::steady_clock::now();
  curl_slist_free_all(headers);
  return std::chrono::duration<double, std::micro>(end - start).count() / calls;
}

double LibraryLoop(const llmbridge::host::LibraryExports& library, const std::string& address,
                   int calls, size_t& returned_bytes) {
  const auto start = std::chrono::steady_clock::now();
  for (int call = 0; call < calls; ++call) {
    const bool end = EndsConversation(call);
    const std::string prompt = end ? "x" : Prompt(call);
    const char* reply = library.chat(address.c_str(), "sk-mock", prompt.c_str(), "100",
                                     end ? "unknown-model" : "mock-small", "0.5", "false");
    returned_bytes += std::strlen(reply) + 1;  // kept by the library until it is unloaded
  }
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(stop - start).count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: %s <libllmbridge.so> <mock server address> [calls] [memory calls]\n",
                 argv[0]);
    return 2;
  }
  const std::string address = argv[2];
  const int calls = argc > 3 ? std::atoi(argv[3]) : 2000;
  const int memory_calls = argc > 4 ? std::atoi(argv[4]) : 10000;
  llmbridge::host::LoadedLibrary loaded(argv[1]);
  llmbridge::host::LibraryExports library;
  if (!loaded.loaded() || !loaded.Bind(library)) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], loaded.error().c_str());
    return 1;
  }

  size_t returned = 0;
  LibraryLoop(library, address, 100, returned);  // warm both sides up
  DirectLoop(address, 100);
  const double direct = DirectLoop(address, calls);
  const double through_library = LibraryLoop(library, address, calls, returned);
  std::printf("calls per loop:            %d (conversations of %d turns)\n", calls,
              kTurnsPerConversation);
  std::printf("direct libcurl:            %8.1f us per call\n", direct);
  std::printf("through the library:       %8.1f us per call (%.3fx)\n", through_library,
              through_library / direct);

  // Memory: resident size over many more calls, less the result buffers the library keeps.
  const long before = ResidentKiB();
  const size_t returned_before = returned;
  LibraryLoop(library, address, memory_calls, returned);
  const long after = ResidentKiB();
  const double kept_kib = static_cast<double>(returned - returned_before) / 1024.0;
  std::printf(
      "resident growth, %d calls: %ld KiB, of which returned buffers %.0f KiB: %.0f KiB else\n",
      memory_calls, after - before, kept_kib, static_cast<double>(after - before) - kept_kib);
  return 0;
}
