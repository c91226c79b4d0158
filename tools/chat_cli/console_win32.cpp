#include <windows.h>

#include <atomic>
#include <cwchar>
#include <iostream>

#include "console.h"

namespace llmbridge::chat_cli {

namespace {

std::string FromWide(const wchar_t* text, int count) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, count, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring ToWide(const std::string& text) {
  const int count = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), count, nullptr, 0);
  std::wstring units(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), count, units.data(), size);
  return units;
}

// A console handle, as opposed to a file or a pipe.
bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

// The narrow argv went through the ANSI code page; the wide command line did not.
std::vector<std::string> Utf8Arguments(int, char**) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> converted;
  for (int i = 0; i < count; ++i)
    converted.push_back(FromWide(arguments[i], static_cast<int>(wcslen(arguments[i]))));
  LocalFree(arguments);
  return converted;
}

bool InputIsTerminal() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

bool ReadLine(std::string& line) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!IsConsole(input)) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  std::wstring units;
  for (;;) {
    wchar_t unit = 0;
    DWORD read = 0;
    if (!ReadConsoleW(input, &unit, 1, &read, nullptr) || read == 0) {
      line = FromWide(units.data(), static_cast<int>(units.size()));
      return !units.empty();
    }
    if (unit == L'\n') break;
    if (unit != L'\r') units.push_back(unit);
  }
  line = FromWide(units.data(), static_cast<int>(units.size()));
  return true;
}

void Write(std::FILE* stream, const std::string& text) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (!IsConsole(handle)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
    return;
  }
  std::fflush(stream);
  const std::wstring units = ToWide(text);
  DWORD written = 0;
  WriteConsoleW(handle, units.data(), static_cast<DWORD>(units.size()), &written, nullptr);
}

namespace {

std::atomic<bool> g_interrupted{false};

// Ctrl-C and Ctrl-Break are taken; closing the console still ends the program.
BOOL WINAPI MarkInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_interrupted = true;
  return TRUE;
}

}  // namespace

void BeginInterruptibleWait() {
  g_interrupted = false;
  SetConsoleCtrlHandler(MarkInterrupt, TRUE);
}

void EndInterruptibleWait() { SetConsoleCtrlHandler(MarkInterrupt, FALSE); }

bool TakeInterrupt() { return g_interrupted.exchange(false); }

}  // namespace llmbridge::chat_cli
