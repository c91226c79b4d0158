/*
 * A conversation through llmbridge from C on Windows, loading the DLL at run time the way most
 * hosts do, with the UTF-16 exports: wchar_t text in and out, so any language arrives intact.
 *
 *     x86_64-w64-mingw32-gcc -I../../include chat.c -o chat.exe     (or i686-w64-mingw32-gcc; cl)
 *     chat.exe [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]
 *
 * The library keeps the conversation between calls, so the second question can refer to the first;
 * newchat starts a new one. The last turn is a live one: chatstartW returns at once, and a timer
 * of the program's message loop polls the reply as it streams in, so its window stays responsive.
 */
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#include "llmbridge.h"

/* LLMBRIDGE_CALL is __stdcall on 32-bit Windows; calling through a pointer of another convention
 * corrupts the stack there. */
typedef const wchar_t*(LLMBRIDGE_CALL* ChatFunction)(const wchar_t*, const wchar_t*, const wchar_t*,
                                                     const wchar_t*, const wchar_t*, const wchar_t*,
                                                     const wchar_t*);
typedef const wchar_t*(LLMBRIDGE_CALL* GetModelsFunction)(const wchar_t*, const wchar_t*);
typedef const wchar_t*(LLMBRIDGE_CALL* VersionFunction)(void);
typedef int(LLMBRIDGE_CALL* NewChatFunction)(void);
typedef int(LLMBRIDGE_CALL* ChatStartFunction)(const wchar_t*, const wchar_t*, const wchar_t*,
                                              const wchar_t*, const wchar_t*, const wchar_t*);
typedef int(LLMBRIDGE_CALL* StatusFunction)(void);
typedef const wchar_t*(LLMBRIDGE_CALL* PollFunction)(void);

/* GetProcAddress gives a generic function pointer; void (*)(void) is the type that casts to any
 * other function type without complaint. */
typedef void (*AnyFunction)(void);
static AnyFunction Find(HMODULE library, const char* name) {
  return (AnyFunction)GetProcAddress(library, name);
}

static int IsError(const wchar_t* reply) {
  return wcscmp(reply, L"Request Failed") == 0 || wcsncmp(reply, L"Api Error code: ", 16) == 0;
}

/* Writes `count` UTF-16 units to `stream` as UTF-8 (the console is switched to UTF-8 below). */
static void PrintText(FILE* stream, const wchar_t* text, int count) {
  char bytes[4096];
  while (count > 0) {
    int units = count < 1024 ? count : 1024;
    /* Keep a surrogate pair together. */
    if (units < count && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    int length = WideCharToMultiByte(CP_UTF8, 0, text, units, bytes, sizeof bytes, NULL, NULL);
    fwrite(bytes, 1, (size_t)length, stream);
    text += units;
    count -= units;
  }
}

static void PrintLine(FILE* stream, const char* label, const wchar_t* text) {
  fputs(label, stream);
  PrintText(stream, text, (int)wcslen(text));
  fputc('\n', stream);
}

/* Prints the carriage-return separated model list as "a, b, c". */
static void PrintModels(const wchar_t* models) {
  printf("models: ");
  if (*models == L'\0') printf("(none)");
  while (*models != L'\0') {
    const wchar_t* end = wcschr(models, L'\r');
    int length = end != NULL ? (int)(end - models) : (int)wcslen(models);
    PrintText(stdout, models, length);
    models += length;
    if (*models == L'\r') {
      printf(", ");
      ++models;
    }
  }
  putchar('\n');
}

/* The live turn, as the window's timer sees it. */
enum { kRunning = 1, kTimer = 1, kPollMs = 20 };
static StatusFunction live_status;
static PollFunction live_poll;
static size_t live_shown;   /* how much of the reply is printed */
static int live_ticks;      /* timer messages the loop dispatched while the reply streamed in */
static int live_failed;

/* Each tick prints what the reply gained; when it has ended, the loop is told to stop. The poll's
 * text is the library's only until the next poll: it is printed (copied) at once. */
static LRESULT CALLBACK LiveWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_TIMER) return DefWindowProcW(window, message, wparam, lparam);
  ++live_ticks;
  const int status = live_status();
  const wchar_t* text = live_poll();
  const size_t length = wcslen(text);
  if (length >= live_shown) PrintText(stdout, text + live_shown, (int)(length - live_shown));
  fflush(stdout);
  live_shown = length;
  if (status != kRunning) {
    putchar('\n');
    live_failed = IsError(text);
    if (live_failed) PrintLine(stderr, "error: ", text);
    KillTimer(window, kTimer);
    PostQuitMessage(0);
  }
  return 0;
}

/* Runs a live turn: a message-only window with a timer, and a message loop until the reply has
 * ended. Returns 0, or 1 after an error. */
static int ChatLive(ChatStartFunction start, const wchar_t* server, const wchar_t* key,
                    const wchar_t* question, const wchar_t* model) {
  WNDCLASSW window_class = {0};
  window_class.lpfnWndProc = LiveWindow;
  window_class.hInstance = GetModuleHandleW(NULL);
  window_class.lpszClassName = L"llmbridge-example-live";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                NULL, window_class.hInstance, NULL);
  if (window == NULL || start(server, key, question, L"200", model, L"0.7") != 1) {
    fprintf(stderr, "error: Request Failed\n");
    return 1;
  }
  fputs("live> ", stdout);
  SetTimer(window, kTimer, kPollMs, NULL);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  DestroyWindow(window);
  printf("(the message loop ran %d times while the reply streamed in)\n", live_ticks);
  return live_failed;
}

/* A command-line argument (ASCII: an address, a key, a model name) as a wide string. */
static const wchar_t* Widen(const char* text, wchar_t* buffer, int capacity) {
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, capacity) == 0) buffer[0] = L'\0';
  return buffer;
}

int main(int argc, char** argv) {
  const char* library_path = "llmbridge.dll";
  const char* server = "127.0.0.1:8080";
  const char* key = "sk-mock";
  const char* model = "mock-small";
  for (int i = 1; i < argc; i += 2) {
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    if (value != NULL && strcmp(argv[i], "--library") == 0) library_path = value;
    else if (value != NULL && strcmp(argv[i], "--server") == 0) server = value;
    else if (value != NULL && strcmp(argv[i], "--key") == 0) key = value;
    else if (value != NULL && strcmp(argv[i], "--model") == 0) model = value;
    else {
      fprintf(stderr, "usage: %s [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]\n",
              argv[0]);
      return 2;
    }
  }

  HMODULE library = LoadLibraryA(library_path);
  if (library == NULL) {
    /* 193 (ERROR_BAD_EXE_FORMAT): a 32-bit DLL in a 64-bit program, or the other way round. */
    fprintf(stderr, "error: cannot load %s (error %lu)\n", library_path, GetLastError());
    return 2;
  }
  ChatFunction chat_export = (ChatFunction)Find(library, "chatW");
  GetModelsFunction getmodels_export = (GetModelsFunction)Find(library, "getmodelsW");
  VersionFunction version_export = (VersionFunction)Find(library, "checkdllversionW");
  NewChatFunction newchat_export = (NewChatFunction)Find(library, "newchat");
  ChatStartFunction chatstart_export = (ChatStartFunction)Find(library, "chatstartW");
  live_status = (StatusFunction)Find(library, "chatstatus");
  live_poll = (PollFunction)Find(library, "chatpollW");
  if (chat_export == NULL || getmodels_export == NULL || version_export == NULL ||
      newchat_export == NULL || chatstart_export == NULL || live_status == NULL ||
      live_poll == NULL) {
    fprintf(stderr, "error: %s lacks the llmbridge exports\n", library_path);
    return 2;
  }
  SetConsoleOutputCP(CP_UTF8);
  wchar_t wide_server[256], wide_key[256], wide_model[256];
  Widen(server, wide_server, 256);
  Widen(key, wide_key, 256);
  Widen(model, wide_model, 256);

  /* Every result belongs to the library and stays valid until it is unloaded: read it, never
   * free it. */
  PrintLine(stdout, "llmbridge ", version_export());
  PrintModels(getmodels_export(wide_server, wide_key));

  /* Two conversations; the NULL between them starts the second with newchat. Its question is
   * CJK, Cyrillic, an emoji and e with a combining accent. */
  static const wchar_t* const questions[] = {
      L"What is the capital of France?", L"And what did I ask you first?", NULL,
      L"\u4e2d\u6587 \u041f\u0440\u0438\u0432\u0435\u0442 \U0001F600 e\u0301"};
  int status = 0;
  for (size_t i = 0; i < sizeof questions / sizeof questions[0]; ++i) {
    if (questions[i] == NULL) {
      newchat_export();
      printf("(new conversation)\n");
      continue;
    }
    PrintLine(stdout, "you> ", questions[i]);
    const wchar_t* reply =
        chat_export(wide_server, wide_key, questions[i], L"200", wide_model, L"0.7", L"false");
    if (reply == NULL || IsError(reply)) {
      PrintLine(stderr, "error: ", reply != NULL ? reply : L"the library could not allocate its reply");
      status = 1;
      break;
    }
    PrintLine(stdout, "assistant> ", reply);
  }
  if (status == 0)
    status = ChatLive(chatstart_export, wide_server, wide_key, L"Stream this, please", wide_model);
  FreeLibrary(library);
  return status;
}
