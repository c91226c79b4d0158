// llmbridge-mockserver: a local OpenAI-compatible server on 127.0.0.1 for trying the library
// without the internet. Chat replies are derived from the conversation received.
//
//   llmbridge-mockserver [--port N] [--key KEY] [--port-file FILE] [--request-log FILE]
//
// --request-log appends one line per request: method, path and body, byte for byte, so that tests
// can check what a host really sent.
#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>

#include "mock_answers.h"

namespace {

using nlohmann::json;

struct Options {
  int port = 0;  // any free port
  std::string key = "sk-mock";
  std::string port_file;
  std::string request_log;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    if (arg == "--port")
      options.port = std::stoi(argv[++i]);
    else if (arg == "--key")
      options.key = argv[++i];
    else if (arg == "--port-file")
      options.port_file = argv[++i];
    else if (arg == "--request-log")
      options.request_log = argv[++i];
    else
      return false;
  }
  return true;
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

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--port N] [--key KEY] [--port-file FILE] [--request-log FILE]\n",
                 argv[0]);
    return 2;
  }
  httplib::Server server;
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
        Answer(response, 200, llmbridge::mock::ChatCompletion(body));
      });

  server.Get("/v1/models", [&](const httplib::Request& request, httplib::Response& response) {
    if (Authorized(request, response, options.key))
      Answer(response, 200, llmbridge::mock::ModelList());
  });

  server.Post("/v1/images/generations",
              [&](const httplib::Request& request, httplib::Response& response) {
                if (!Authorized(request, response, options.key)) return;
                const json body = ParseBody(request, response);
                if (body.is_discarded()) return;
                const std::string base = "http://127.0.0.1:" + std::to_string(port);
                Answer(response, 200, llmbridge::mock::ImageAnswer(body.value("prompt", ""), base));
              });

  port = options.port == 0 ? server.bind_to_any_port("127.0.0.1") : options.port;
  if (options.port != 0 && !server.bind_to_port("127.0.0.1", port)) port = -1;
  if (port <= 0) {
    std::fprintf(stderr, "llmbridge-mockserver: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  if (!options.port_file.empty()) std::ofstream(options.port_file) << port << "\n";
  std::printf("llmbridge-mockserver listening on http://127.0.0.1:%d (key %s)\n", port,
              options.key.c_str());
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
