// llmbridge-chat: a command-line host. It loads the library at run time and calls its exports
// exactly as a host application does, through the UTF-16 exports so that any text the terminal
// can show reaches the server intact.
//
//   llmbridge-chat [options] [chat | models | image PROMPT | version]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "console.h"
#include "library_exports.h"
#include "utf16.h"

namespace {

using llmbridge::chat_cli::ToUtf16;
using llmbridge::chat_cli::ToUtf8;
using llmbridge::chat_cli::WideString;
using llmbridge::chat_cli::Write;
using llmbridge::host::LibraryExports;

struct Options {
  std::string library = llmbridge::host::DefaultLibraryPath();
  std::string server = "127.0.0.1:8080";
  std::string key;
  std::string model = "mock-small";
  std::string max_tokens = "256";
  std::string temperature = "0.7";
  std::string size = "1024x1024";
  bool window = false;
  std::string command = "chat";
  std::string prompt;
  // Host options for setoption, in the order given: name, value.
  std::vector<std::pair<std::string, std::string>> host_options;
};

void PrintUsage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [options] [chat | models | image PROMPT | version]\n"
               "  --server ADDRESS     chat and model-list server: HOST:PORT over plain http\n"
               "                       (default 127.0.0.1:8080), or a base URL such as\n"
               "                       https://api.openai.com/v1\n"
               "  --key KEY            API key; --key-file FILE reads it from a file\n"
               "  --model NAME         chat model (default mock-small)\n"
               "  --max-tokens N       (default 256)\n"
               "  --temperature T      (default 0.7)\n"
               "  --size WxH           image size (default 1024x1024)\n"
               "  --window             show the progress window during requests (the reply\n"
               "                       then arrives whole instead of streaming in)\n"
               "  --system TEXT        a system message before the conversation\n"
               "  --option NAME=VALUE  a library option (body, imagebody, header, timeout,\n"
               "                       proxy, imageurl, imagedir, system); repeatable\n"
               "  --library PATH       the library to load (default: beside this program)\n"
               "chat reads one prompt per line from standard input; an empty line or the end\n"
               "of input ends the conversation, which the library keeps between turns; the\n"
               "line /new starts a new conversation. Ctrl-C while a reply streams in cancels\n"
               "it and keeps the session.\n",
               program);
}

// The first line of `path`, without its line end.
bool ReadKeyFile(const std::string& path, std::string& key) {
  std::ifstream file(path);
  if (!file) return false;
  std::getline(file, key);
  while (!key.empty() && (key.back() == '\r' || key.back() == '\n')) key.pop_back();
  return true;
}

bool ParseOptions(const std::vector<std::string>& arguments, Options& options) {
  const size_t count = arguments.size();
  size_t i = 1;
  for (; i < count && arguments[i].rfind("--", 0) == 0; ++i) {
    const std::string& name = arguments[i];
    if (name == "--window") {
      options.window = true;
      continue;
    }
    if (i + 1 >= count) return false;
    const std::string& value = arguments[++i];
    if (name == "--server")
      options.server = value;
    else if (name == "--key")
      options.key = value;
    else if (name == "--key-file") {
      if (!ReadKeyFile(value, options.key)) {
        std::fprintf(stderr, "error: cannot read the key file %s\n", value.c_str());
        return false;
      }
    } else if (name == "--model")
      options.model = value;
    else if (name == "--max-tokens")
      options.max_tokens = value;
    else if (name == "--temperature")
      options.temperature = value;
    else if (name == "--size")
      options.size = value;
    else if (name == "--library")
      options.library = value;
    else if (name == "--system")
      options.host_options.emplace_back("system", value);
    else if (name == "--option") {
      const size_t equals = value.find('=');
      if (equals == std::string::npos) return false;
      options.host_options.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    } else
      return false;
  }
  if (i < count) options.command = arguments[i++];
  if (options.command == "image") {
    if (i >= count) return false;
    options.prompt = arguments[i++];
  }
  return i == count;
}

// Why the last call failed, in the library's words, as a line of its own; nothing when it has
// none to give.
void ReportLastError(const LibraryExports& library) {
  const std::string detail = ToUtf8(library.lasterrorW());
  if (!detail.empty()) Write(stderr, "error: " + detail + "\n");
}

// The library answers failures with texts of its own; they are shown as errors. Whatever reason
// lasterror gives follows, also for an empty reply whose answer held an error. The returned text
// belongs to the library: it is copied, never freed.
int Report(const LibraryExports& library, const char* label, const llmbridge_wchar* result) {
  const std::string text = ToUtf8(result);
  const bool failed =
      result == nullptr || text == "Request Failed" || text.rfind("Api Error code: ", 0) == 0;
  if (failed)
    Write(stderr,
          "error: " + (result != nullptr ? text : "the library could not allocate its result") +
              "\n");
  else
    Write(stdout, label + text + "\n");
  ReportLastError(library);
  return failed ? 1 : 0;
}

// How often a streaming reply is polled, as a host's timer would.
constexpr std::chrono::milliseconds kPollInterval{20};

// Starts the turn as a live exchange and prints the reply as it streams in; Ctrl-C cancels it.
// The text a poll returns belongs to the library until the next poll: it is copied at once.
int StreamTurn(const LibraryExports& library, const WideString& server, const WideString& key,
               const std::string& prompt, const WideString& max_tokens, const WideString& model,
               const WideString& temperature) {
  const int started = library.chatstartW(server.c_str(), key.c_str(), ToUtf16(prompt).c_str(),
                                         max_tokens.c_str(), model.c_str(), temperature.c_str());
  if (started != 1) {
    Write(stderr, "error: the reply could not start\n");
    ReportLastError(library);
    return 1;
  }
  Write(stdout, "assistant> ");
  std::string shown;
  llmbridge::chat_cli::BeginInterruptibleWait();
  int status = 1;
  while ((status = library.chatstatus()) == 1) {
    if (llmbridge::chat_cli::TakeInterrupt()) library.chatcancel();
    const std::string text = ToUtf8(library.chatpollW());
    // The reply grows at its end; a server that sends the whole message last may rewrite it.
    if (text.compare(0, shown.size(), shown) == 0)
      Write(stdout, text.substr(shown.size()));
    else
      Write(stdout, "\n" + text);
    shown = text;
    std::this_thread::sleep_for(kPollInterval);
  }
  llmbridge::chat_cli::EndInterruptibleWait();
  const std::string text = ToUtf8(library.chatpollW());
  if (status == 3) {
    Write(stdout, "\n");
    Write(stderr, "error: " + text + "\n");
    ReportLastError(library);
    return 1;
  }
  if (text.compare(0, shown.size(), shown) == 0)
    Write(stdout, text.substr(shown.size()));
  else
    Write(stdout, "\n" + text);
  Write(stdout, status == 4 ? " (cancelled)\n" : "\n");
  // A reply that brought nothing but an error (some servers report one as an event of a stream
  // whose status was 200) counts as a failure.
  const bool only_an_error = text.empty() && !ToUtf8(library.lasterrorW()).empty();
  ReportLastError(library);
  return only_an_error ? 1 : 0;
}

int RunChat(const LibraryExports& library, const Options& options) {
  int status = 0;
  const auto server = ToUtf16(options.server), key = ToUtf16(options.key);
  const auto max_tokens = ToUtf16(options.max_tokens), model = ToUtf16(options.model);
  const auto temperature = ToUtf16(options.temperature);
  const auto window = ToUtf16(options.window ? "true" : "false");
  // Typed prompts echo on the terminal; prompts from a pipe are echoed so the transcript reads.
  const bool typed = llmbridge::chat_cli::InputIsTerminal();
  std::string prompt;
  for (;;) {
    Write(stdout, "you> ");
    if (!llmbridge::chat_cli::ReadLine(prompt) || prompt.empty()) break;
    if (!typed) Write(stdout, prompt + "\n");
    if (prompt == "/new") {
      library.newchat();
      Write(stdout, "(new conversation)\n");
      continue;
    }
    if (options.window) {
      status |= Report(
          library, "assistant> ",
          library.chatW(server.c_str(), key.c_str(), ToUtf16(prompt).c_str(), max_tokens.c_str(),
                        model.c_str(), temperature.c_str(), window.c_str()));
    } else {
      status |= StreamTurn(library, server, key, prompt, max_tokens, model, temperature);
    }
  }
  Write(stdout, "\n");
  return status;
}

int RunModels(const LibraryExports& library, const Options& options) {
  const std::string models =
      ToUtf8(library.getmodelsW(ToUtf16(options.server).c_str(), ToUtf16(options.key).c_str()));
  if (models.empty()) {
    Write(stderr, "error: no models found at " + options.server + "\n");
    ReportLastError(library);
    return 1;
  }
  // The ids are separated by carriage returns.
  std::string lines = models + "\n";
  for (char& c : lines) c = c == '\r' ? '\n' : c;
  Write(stdout, lines);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = llmbridge::chat_cli::Utf8Arguments(argc, argv);
  Options options;
  if (!ParseOptions(arguments, options)) {
    PrintUsage(argv[0]);
    return 2;
  }
  llmbridge::host::LoadedLibrary library(options.library);
  LibraryExports exports;
  if (!library.loaded() || !library.Bind(exports)) {
    std::fprintf(stderr, "error: cannot use %s: %s\n", options.library.c_str(),
                 library.error().c_str());
    return 1;
  }
  for (const auto& [name, value] : options.host_options) {
    if (exports.setoptionW(ToUtf16(name).c_str(), ToUtf16(value).c_str()) == 0) {
      Write(stderr,
            "error: the option " + name + " was refused: " + ToUtf8(exports.lasterrorW()) + "\n");
      return 2;
    }
  }
  if (options.command == "chat") return RunChat(exports, options);
  if (options.command == "models") return RunModels(exports, options);
  if (options.command == "version") return Report(exports, "", exports.checkdllversionW());
  if (options.command == "image") {
    return Report(exports, "",
                  exports.imagenW(ToUtf16(options.key).c_str(), ToUtf16(options.prompt).c_str(),
                                  ToUtf16(options.size).c_str(),
                                  ToUtf16(options.window ? "true" : "false").c_str()));
  }
  PrintUsage(argv[0]);
  return 2;
}
