// llmbridge-json [--walk] [FILE]: reads a server answer (a file, or standard input when FILE is
// absent or "-") as UTF-8, parses it as the library parses answers, and prints the tree in the
// order the walkers visit members, or with --walk what each walker would return. A text the
// parser refuses is reported with the error and where it occurred, and exit status 1.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "flows/response_walkers.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "json_cli/tree_printer.h"
#include "runtime/library_lifecycle.h"
#include "state/library_state.h"

namespace {

using namespace llmbridge;

constexpr int kParsed = 0;
constexpr int kRefused = 1;
constexpr int kUsageError = 2;

struct Options {
  bool walk = false;
  const char* path = nullptr;  // null: standard input
};

bool ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--walk") == 0) {
      options.walk = true;
    } else if (options.path == nullptr && (argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0)) {
      options.path = std::strcmp(argv[i], "-") == 0 ? nullptr : argv[i];
    } else {
      return false;
    }
  }
  return true;
}

bool ReadAll(std::FILE* in, std::string& bytes) {
  char chunk[65536];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.append(chunk, count);
  return std::ferror(in) == 0;
}

bool ReadInput(const char* path, std::string& bytes) {
  if (path == nullptr) return ReadAll(stdin, bytes);
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  const bool read = ReadAll(file, bytes);
  std::fclose(file);
  return read;
}

void PrintWalks(JsonValue* root) {
  LibraryState& state = GetLibraryState();
  state.ModelCount = 0;  // as the model listing starts its walk
  state.ModelList.clear();
  state.ImageResult.clear();
  CollectContent(root);
  CollectModelIds(root);
  CollectLastString(root);
  const struct {
    const char* label;
    const Text& result;
  } walks[] = {
      {"CollectContent:    ", state.ChatReply},
      {"CollectModelIds:   ", state.ModelList},
      {"CollectLastString: ", state.ImageResult},
  };
  for (const auto& walk : walks) {
    std::fputs(walk.label, stdout);
    inspector::PrintQuoted(stdout, walk.result);
    std::fputc('\n', stdout);
  }
}

int Inspect(const Options& options) {
  std::string bytes;
  if (!ReadInput(options.path, bytes)) {
    std::fprintf(stderr, "llmbridge-json: cannot read %s\n", options.path ? options.path : "input");
    return kUsageError;
  }
  if (bytes.size() > 0x7FFFFFFF) {
    std::fputs("llmbridge-json: input larger than 2 GB\n", stderr);
    return kUsageError;
  }
  // An answer is read up to its first zero byte, as the library reads a body.
  JsonError error;
  if (ParseUtf8Json(0, bytes.c_str(), &error) == 0) {
    std::printf("error: %s at byte %zu\n", JsonErrorMessage(error.code), error.offset);
    return kRefused;
  }
  JsonValue* root = GetJsonRoot(0);
  if (options.walk)
    PrintWalks(root);
  else
    inspector::PrintTree(stdout, *root);
  return kParsed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ReadOptions(argc, argv, options)) {
    std::fputs("usage: llmbridge-json [--walk] [FILE | -]\n", stderr);
    return kUsageError;
  }
  StartLibrary();
  int status;
  try {
    status = Inspect(options);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "llmbridge-json: %s\n", failure.what());
    status = kUsageError;
  }
  FreeAllJson();  // start-up and shutdown do not free documents yet
  StopLibrary();
  return status;
}
