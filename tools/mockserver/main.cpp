// llmbridge-mockserver: a local OpenAI-compatible server on 127.0.0.1 for trying the library
// without the internet. Chat replies are derived from the conversation received.
//
//   llmbridge-mockserver [--port N] [--key KEY] [--port-file FILE] [--request-log FILE]
//                        [--tls-cert FILE --tls-key FILE] [--fixtures DIR]
//                        [--chunk-delay-ms N]
//
// A chat request with "stream": true is answered with server-sent events, one word per event,
// each after --chunk-delay-ms milliseconds (default 0), so that a person can watch it arrive.
// --request-log appends one line per request: method, path and body, byte for byte, so that tests
// can check what a host really sent. --tls-cert and --tls-key (PEM files) serve HTTPS instead of
// HTTP. --fixtures serves recorded answers of real providers: DIR/NAME/chat.json for a POST to
// /NAME/chat/completions and DIR/NAME/models.json for a GET of /NAME/models, or, for a request
// without the server's key, the one DIR/NAME/error-STATUS.* file with that status. Any request
// to /redirect/STATUS/SCHEME/HOST:PORT/REST is answered with STATUS and a Location of
// SCHEME://HOST:PORT/REST.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "mock_answers.h"

namespace {

using nlohmann::json;

struct Options {
  int port = 0;  // any free port
  std::string key = "sk-mock";
  std::string port_file;
  std::string request_log;
  std::string tls_cert;
  std::string tls_key;
  std::string fixtures;
  int chunk_delay_ms = 0;
};

// Every option takes one value: a text, or a whole decimal number.
bool ParseOptions(int argc, char** argv, Options& options) {
  static const std::pair<const char*, std::string Options::*> kTexts[] = {
      {"--key", &Options::key},
      {"--port-file", &Options::port_file},
      {"--request-log", &Options::request_log},
      {"--tls-cert", &Options::tls_cert},
      {"--tls-key", &Options::tls_key},
      {"--fixtures", &Options::fixtures},
  };
  static const std::pair<const char*, int Options::*> kNumbers[] = {
      {"--port", &Options::port}, {"--chunk-delay-ms", &Options::chunk_delay_ms}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i], value = argv[i + 1];
    bool known = false;
    for (const auto& [flag, member] : kTexts) {
      if (name != flag) continue;
      options.*member = value;
      known = true;
    }
    for (const auto& [flag, member] : kNumbers) {
      if (name != flag) continue;
      size_t used = 0;
      try {
        options.*member = std::stoi(value, &used);
      } catch (const std::exception&) {
        return false;
      }
      known = used == value.size();
    }
    if (!known) return false;
  }
  return argc % 2 == 1 && options.tls_cert.empty() == options.tls_key.empty();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

const char* ContentType(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  if (extension == ".html") return "text/html; charset=utf-8";
  if (extension == ".txt") return "text/plain; charset=utf-8";
  return "application/json";
}

// Answers with the provider's recorded answer: `file` for a request with the server's key, else
// its error file, whose name holds the status. 404 when the provider has no such file.
void AnswerFixture(const std::filesystem::path& provider, const std::string& file, bool authorized,
                   httplib::Response& response) {
  std::filesystem::path answer = provider / file;
  response.status = 200;
  if (!authorized) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(provider, error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("error-", 0) != 0) continue;
      answer = entry.path();
      response.status = std::atoi(name.c_str() + 6);
    }
  }
  if (!std::filesystem::is_regular_file(answer)) {
    response.status = 404;
    return;
  }
  response.set_content(ReadFile(answer), ContentType(answer));
}

// /redirect/STATUS/SCHEME/HOST:PORT/REST: STATUS with a Location of SCHEME://HOST:PORT/REST.
void AnswerRedirect(const httplib::Request& request, httplib::Response& response) {
  response.status = std::stoi(request.matches[1]);
  response.set_header("Location",
                      std::string(request.matches[2]) + "://" + std::string(request.matches[3]));
}

void Answer(httplib::Response& response, int status, const nlohmann::ordered_json& body) {
  response.status = status;
  response.set_content(body.dump(), "application/json");
}

// True when the request carries the server's key; otherwise answers 401 as the hosted API does.
bool Authorized(const httplib::Request& request, httplib::Response& response,
                const std::string& key) {
  if (request.get_header_value("Authorization") == "Bearer " + key) return true;
  Answer(response, 401,
         llmbridge::mock::ErrorAnswer(
             "Incorrect API key provided. You can find your API key in the server's settings.",
             "invalid_request_error", nullptr, "invalid_api_key"));
  return false;
}

// Parses the JSON body, or answers 400 and returns a discarded value.
json ParseBody(const httplib::Request& request, httplib::Response& response) {
  json body = json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) {
    Answer(response, 400,
           llmbridge::mock::ErrorAnswer("We could not parse the JSON body of your request.",
                                        "invalid_request_error", nullptr, nullptr));
    return json::value_t::discarded;
  }
  return body;
}

// Streams the reply as server-sent events, waiting `delay_ms` before each; ends with "[DONE]".
void AnswerStream(httplib::Response& response, const json& request, int delay_ms) {
  auto events = std::make_shared<std::vector<std::string>>();
  for (const auto& chunk : llmbridge::mock::ChatCompletionChunks(request))
    events->push_back("data: " + chunk.dump() + "\n\n");
  events->push_back("data: [DONE]\n\n");
  response.status = 200;
  response.set_header("Cache-Control", "no-cache");
  response.set_chunked_content_provider(
      "text/event-stream",
      [events, delay_ms, next = size_t{0}](size_t, httplib::DataSink& sink) mutable {
        if (next == events->size()) {
          sink.done();
          return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        const std::string& event = (*events)[next++];
        return sink.write(event.data(), event.size());  // false when the client has gone
      });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--port N] [--key KEY] [--port-file FILE] [--request-log FILE]\n"
                 "       [--tls-cert FILE --tls-key FILE] [--fixtures DIR]\n"
                 "       [--chunk-delay-ms N]\n",
                 argv[0]);
    return 2;
  }
  std::unique_ptr<httplib::Server> tls_or_plain;
  if (options.tls_cert.empty())
    tls_or_plain = std::make_unique<httplib::Server>();
  else
    tls_or_plain =
        std::make_unique<httplib::SSLServer>(options.tls_cert.c_str(), options.tls_key.c_str());
  if (!tls_or_plain->is_valid()) {
    std::fprintf(stderr, "llmbridge-mockserver: cannot use %s and %s\n", options.tls_cert.c_str(),
                 options.tls_key.c_str());
    return 1;
  }
  httplib::Server& server = *tls_or_plain;
  const std::string scheme = options.tls_cert.empty() ? "http" : "https";
  int port = 0;
  std::mutex log_lock;  // requests are served on several threads
  if (!options.request_log.empty()) {
    server.set_logger([&](const httplib::Request& request, const httplib::Response&) {
      const std::lock_guard<std::mutex> hold(log_lock);
      std::ofstream(options.request_log, std::ios::app | std::ios::binary)
          << request.method << ' ' << request.path << ' ' << request.body << '\n';
    });
  }

  server.Post(
      "/v1/chat/completions", [&](const httplib::Request& request, httplib::Response& response) {
        if (!Authorized(request, response, options.key)) return;
        const json body = ParseBody(request, response);
        if (body.is_discarded()) return;
        const std::string model = body.value("model", "");
        if (std::find(llmbridge::mock::kModels.begin(), llmbridge::mock::kModels.end(), model) ==
            llmbridge::mock::kModels.end()) {
          Answer(response, 404,
                 llmbridge::mock::ErrorAnswer(
                     "The model `" + model + "` does not exist or you do not have access to it.",
                     "invalid_request_error", nullptr, "model_not_found"));
          return;
        }
        if (!body.contains("messages") || !body["messages"].is_array()) {
          Answer(response, 400,
                 llmbridge::mock::ErrorAnswer("'messages' is a required property",
                                              "invalid_request_error", "messages", nullptr));
          return;
        }
        const auto stream = body.find("stream");
        if (stream != body.end() && stream->is_boolean() && stream->get<bool>())
          AnswerStream(response, body, options.chunk_delay_ms);
        else
          Answer(response, 200, llmbridge::mock::ChatCompletion(body));
      });

  server.Get("/v1/models", [&](const httplib::Request& request, httplib::Response& response) {
    if (Authorized(request, response, options.key))
      Answer(response, 200, llmbridge::mock::ModelList());
  });

  server.Post("/v1/images/generations", [&](const httplib::Request& request,
                                            httplib::Response& response) {
    if (!Authorized(request, response, options.key)) return;
    const json body = ParseBody(request, response);
    if (body.is_discarded()) return;
    const std::string base = scheme + "://127.0.0.1:" + std::to_string(port);
    // Asked for with response_format "b64_json", or by a gpt-image model, which
    // answers no other way.
    const bool carried = body.value("response_format", "") == "b64_json" ||
                         body.value("model", "").rfind("gpt-image", 0) == 0;
    Answer(response, 200, llmbridge::mock::ImageAnswer(body.value("prompt", ""), base, carried));
  });

  const std::string redirect = R"(/redirect/(\d+)/(https?)/(.*))";
  server.Get(redirect, AnswerRedirect);
  server.Post(redirect, AnswerRedirect);
  const std::filesystem::path fixtures = options.fixtures;
  if (!fixtures.empty()) {
    server.Post("/([^/]+)/chat/completions", [&](const httplib::Request& request,
                                                 httplib::Response& response) {
      AnswerFixture(fixtures / std::string(request.matches[1]), "chat.json",
                    request.get_header_value("Authorization") == "Bearer " + options.key, response);
    });
    server.Get("/([^/]+)/models", [&](const httplib::Request& request,
                                      httplib::Response& response) {
      AnswerFixture(fixtures / std::string(request.matches[1]), "models.json",
                    request.get_header_value("Authorization") == "Bearer " + options.key, response);
    });
  }

  port = options.port == 0 ? server.bind_to_any_port("127.0.0.1") : options.port;
  if (options.port != 0 && !server.bind_to_port("127.0.0.1", port)) port = -1;
  if (port <= 0) {
    std::fprintf(stderr, "llmbridge-mockserver: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  if (!options.port_file.empty()) std::ofstream(options.port_file) << port << "\n";
  std::printf("llmbridge-mockserver listening on %s://127.0.0.1:%d (key %s)\n", scheme.c_str(),
              port, options.key.c_str());
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
