// llmbridge-chat: a command-line host. It loads the library at run time and calls its exports
// exactly as a host application does.
//
//   llmbridge-chat [options] [chat | models | image PROMPT | version]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "library_exports.h"
#include "terminal.h"

namespace {

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
};

void PrintUsage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [options] [chat | models | image PROMPT | version]\n"
               "  --server HOST:PORT   chat and model-list server (default 127.0.0.1:8080)\n"
               "  --key KEY            API key; --key-file FILE reads it from a file\n"
               "  --model NAME         chat model (default mock-small)\n"
               "  --max-tokens N       (default 256)\n"
               "  --temperature T      (default 0.7)\n"
               "  --size WxH           image size (default 1024x1024)\n"
               "  --window             show the progress window during requests\n"
               "  --library PATH       the library to load (default: beside this program)\n"
               "chat reads one prompt per line from standard input; an empty line or the end\n"
               "of input ends the conversation, which the library keeps between turns.\n",
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

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string name = argv[i];
    if (name == "--window") {
      options.window = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
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
    else
      return false;
  }
  if (i < argc) options.command = argv[i++];
  if (options.command == "image") {
    if (i >= argc) return false;
    options.prompt = argv[i++];
  }
  return i == argc;
}

// The library answers failures with texts of its own; they are shown as errors.
bool IsErrorResult(const char* result) {
  return result == nullptr || std::strcmp(result, "Request Failed") == 0 ||
         std::strncmp(result, "Api Error code: ", 16) == 0;
}

int Report(const char* label, const char* result) {
  if (IsErrorResult(result)) {
    std::fprintf(stderr, "error: %s\n",
                 result != nullptr ? result : "the library could not allocate its result");
    return 1;
  }
  std::printf("%s%s\n", label, result);
  return 0;
}

int RunChat(const LibraryExports& library, const Options& options) {
  int status = 0;
  const char* window = options.window ? "true" : "false";
  // Typed prompts echo on the terminal; prompts from a pipe are echoed so the transcript reads.
  const bool typed = llmbridge::host::StandardInputIsTerminal();
  std::string prompt;
  for (;;) {
    std::printf("you> ");
    std::fflush(stdout);
    if (!std::getline(std::cin, prompt) || prompt.empty()) break;
    if (!typed) std::printf("%s\n", prompt.c_str());
    // The returned text belongs to the library: it is read, never freed.
    const char* reply = library.chat(options.server.c_str(), options.key.c_str(), prompt.c_str(),
                                     options.max_tokens.c_str(), options.model.c_str(),
                                     options.temperature.c_str(), window);
    status |= Report("assistant> ", reply);
  }
  std::printf("\n");
  return status;
}

int RunModels(const LibraryExports& library, const Options& options) {
  const char* models = library.getmodels(options.server.c_str(), options.key.c_str());
  if (models == nullptr || *models == '\0') {
    std::fprintf(stderr, "error: no models found at %s\n", options.server.c_str());
    return 1;
  }
  // The ids are separated by carriage returns.
  for (const char* id = models; *id != '\0';) {
    const char* end = std::strchr(id, '\r');
    const size_t length = end != nullptr ? static_cast<size_t>(end - id) : std::strlen(id);
    std::printf("%.*s\n", static_cast<int>(length), id);
    id += length + (end != nullptr ? 1 : 0);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
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
  if (options.command == "chat") return RunChat(exports, options);
  if (options.command == "models") return RunModels(exports, options);
  if (options.command == "version") return Report("", exports.checkdllversion());
  if (options.command == "image") {
    return Report("", exports.imagen(options.key.c_str(), options.prompt.c_str(),
                                     options.size.c_str(), options.window ? "true" : "false"));
  }
  PrintUsage(argv[0]);
  return 2;
}
