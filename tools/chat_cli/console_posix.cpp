#include <unistd.h>

#include <iostream>

#include "console.h"

namespace llmbridge::chat_cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool InputIsTerminal() { return isatty(0) != 0; }

bool ReadLine(std::string& line) { return static_cast<bool>(std::getline(std::cin, line)); }

void Write(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace llmbridge::chat_cli
