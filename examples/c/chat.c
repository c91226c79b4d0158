/*
 * A two-turn conversation through llmbridge from C on Windows, loading the DLL at run time the way
 * most hosts do.
 *
 *     x86_64-w64-mingw32-gcc -I../../include chat.c -o chat.exe     (or i686-w64-mingw32-gcc; cl)
 *     chat.exe [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]
 *
 * The library keeps the conversation between calls, so the second question can refer to the first.
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "llmbridge.h"

/* LLMBRIDGE_CALL is __stdcall on 32-bit Windows; calling through a pointer of another convention
 * corrupts the stack there. */
typedef const char*(LLMBRIDGE_CALL* ChatFunction)(const char*, const char*, const char*, const char*,
                                                  const char*, const char*, const char*);
typedef const char*(LLMBRIDGE_CALL* GetModelsFunction)(const char*, const char*);
typedef const char*(LLMBRIDGE_CALL* VersionFunction)(void);

/* GetProcAddress gives a generic function pointer; void (*)(void) is the type that casts to any
 * other function type without complaint. */
typedef void (*AnyFunction)(void);
static AnyFunction Find(HMODULE library, const char* name) {
  return (AnyFunction)GetProcAddress(library, name);
}

static int IsError(const char* reply) {
  return strcmp(reply, "Request Failed") == 0 || strncmp(reply, "Api Error code: ", 16) == 0;
}

/* Prints the carriage-return separated model list as "a, b, c". */
static void PrintModels(const char* models) {
  printf("models: ");
  if (*models == '\0') printf("(none)");
  for (; *models != '\0'; ++models) {
    if (*models == '\r')
      printf(", ");
    else
      putchar(*models);
  }
  putchar('\n');
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
  ChatFunction chat_export = (ChatFunction)Find(library, "chat");
  GetModelsFunction getmodels_export = (GetModelsFunction)Find(library, "getmodels");
  VersionFunction version_export = (VersionFunction)Find(library, "checkdllversion");
  if (chat_export == NULL || getmodels_export == NULL || version_export == NULL) {
    fprintf(stderr, "error: %s lacks the llmbridge exports\n", library_path);
    return 2;
  }

  /* Every result belongs to the library and stays valid until it is unloaded: read it, never
   * free it. */
  printf("llmbridge %s\n", version_export());
  PrintModels(getmodels_export(server, key));

  static const char* const questions[] = {"What is the capital of France?",
                                          "And what did I ask you first?"};
  int status = 0;
  for (size_t i = 0; i < sizeof questions / sizeof questions[0]; ++i) {
    printf("you> %s\n", questions[i]);
    const char* reply = chat_export(server, key, questions[i], "200", model, "0.7", "false");
    if (reply == NULL || IsError(reply)) {
      fprintf(stderr, "error: %s\n", reply != NULL ? reply : "the library could not allocate its reply");
      status = 1;
      break;
    }
    printf("assistant> %s\n", reply);
  }
  FreeLibrary(library);
  return status;
}
