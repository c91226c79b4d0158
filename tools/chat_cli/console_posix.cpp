#include <signal.h>
#include <unistd.h>

#include <atomic>
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

namespace {

std::atomic<bool> g_interrupted{false};

void MarkInterrupt(int) { g_interrupted = true; }

void HandleInterrupts(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace

void BeginInterruptibleWait() {
  g_interrupted = false;
  HandleInterrupts(MarkInterrupt);
}

void EndInterruptibleWait() { HandleInterrupts(SIG_DFL); }

bool TakeInterrupt() { return g_interrupted.exchange(false); }

}  // namespace llmbridge::chat_cli
