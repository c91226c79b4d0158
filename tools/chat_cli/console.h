// The terminal as the command-line host sees it: everything in UTF-8. A POSIX terminal speaks the
// locale's encoding, UTF-8 on any current system. The Windows console is read and written in
// UTF-16, so no code page stands between the user and the library; redirected streams carry UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace llmbridge::chat_cli {

// The program's arguments, converted to UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// True when standard input is a terminal, where typed text echoes by itself.
bool InputIsTerminal();

// Reads one line of standard input without its line end; false at the end of the input.
bool ReadLine(std::string& line);

// Writes UTF-8 text to `stream` (stdout or stderr) and flushes it.
void Write(std::FILE* stream, const std::string& text);

// Between the two calls, Ctrl-C no longer ends the program: it only marks an interrupt, which
// TakeInterrupt reports once. Outside them Ctrl-C ends the program as usual.
void BeginInterruptibleWait();
void EndInterruptibleWait();
bool TakeInterrupt();

}  // namespace llmbridge::chat_cli
