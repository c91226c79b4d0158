/*
 * llmbridge: talk to OpenAI-compatible LLM servers from any program that can call a C function.
 *
 * Every string argument is a NUL-terminated narrow string in the process's ANSI code page; a null
 * pointer reads as the empty string. Every string result is a NUL-terminated narrow string in the
 * same code page. Result strings belong to the library: never free them. Each one stays valid until
 * the library is unloaded.
 *
 * The functions whose names end in W take and return UTF-16 strings instead, so that no text is
 * lost to the code page; they share the conversation and the model list with their narrow twins.
 * Prefer them for any text outside ASCII.
 *
 * On 32-bit Windows the functions use __stdcall and are exported under their plain names
 * ("chat", not "_chat@28"); elsewhere they use the platform's default calling convention.
 */
#ifndef LLMBRIDGE_H
#define LLMBRIDGE_H

#if defined(_WIN32) && !defined(_WIN64)
#define LLMBRIDGE_CALL __stdcall
#else
#define LLMBRIDGE_CALL
#endif

#if defined(LLMBRIDGE_BUILDING) && !defined(_WIN32)
#define LLMBRIDGE_API __attribute__((visibility("default")))
#else
#define LLMBRIDGE_API
#endif

/* A UTF-16 code unit: wchar_t on Windows, char16_t elsewhere (in C, uint_least16_t, which is what
 * C11's char16_t is). */
#if defined(_WIN32)
#include <stddef.h>
typedef wchar_t llmbridge_wchar;
#elif defined(__cplusplus)
typedef char16_t llmbridge_wchar;
#else
#include <stdint.h>
typedef uint_least16_t llmbridge_wchar;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Sends one user turn of the running conversation and returns the assistant's reply, or
 * "Request Failed" / "Api Error code: <status>" (status 0 when no answer arrived). A failed
 * exchange starts a new conversation. showWindow "true" shows a small progress window during the
 * request. serverAddress is a host with its port ("127.0.0.1:8080", reached over plain http) or a
 * base URL ("https://api.openai.com/v1", "http://localhost:11434/v1"). */
LLMBRIDGE_API const char* LLMBRIDGE_CALL chat(const char* serverAddress, const char* apiKey,
                                              const char* prompt, const char* maxTokens,
                                              const char* model, const char* temperature,
                                              const char* showWindow);

/* Returns the server's model ids separated by carriage returns (the last list found, or empty).
 * serverAddress takes the same forms as chat's. */
LLMBRIDGE_API const char* LLMBRIDGE_CALL getmodels(const char* serverAddress, const char* apiKey);

/* Asks the image service for one image and returns the string it answers with (the image URL),
 * or an error text as chat does. */
LLMBRIDGE_API const char* LLMBRIDGE_CALL imagen(const char* apiKey, const char* prompt,
                                                const char* imageSize, const char* showWindow);

/* Returns "1.11". */
LLMBRIDGE_API const char* LLMBRIDGE_CALL checkdllversion(void);

/* Returns 0 and releases nothing: results stay valid until the library is unloaded. */
LLMBRIDGE_API int LLMBRIDGE_CALL FreeMem(void);

/* The same four functions with NUL-terminated UTF-16 strings in and out. A lone surrogate in an
 * argument is sent as U+FFFD. Results follow the same rule: the library's, valid until unload. */
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL
chatW(const llmbridge_wchar* serverAddress, const llmbridge_wchar* apiKey,
      const llmbridge_wchar* prompt, const llmbridge_wchar* maxTokens, const llmbridge_wchar* model,
      const llmbridge_wchar* temperature, const llmbridge_wchar* showWindow);
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL getmodelsW(const llmbridge_wchar* serverAddress,
                                                               const llmbridge_wchar* apiKey);
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL imagenW(const llmbridge_wchar* apiKey,
                                                            const llmbridge_wchar* prompt,
                                                            const llmbridge_wchar* imageSize,
                                                            const llmbridge_wchar* showWindow);
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL checkdllversionW(void);

/* Empties the conversation, so that the next chat or chatW starts a new one; returns 0. The model
 * list and earlier results stay as they are. */
LLMBRIDGE_API int LLMBRIDGE_CALL newchat(void);

/* Why the last chat, getmodels or imagen call (of either width) failed: "HTTP <status>: " and the
 * server's own message, or the transfer's problem ("SSL certificate problem: ...", "Could not
 * resolve host: ..."); empty after a call that succeeded. Never holds the API key. */
LLMBRIDGE_API const char* LLMBRIDGE_CALL lasterror(void);
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL lasterrorW(void);

/* Live calls: one exchange of the same conversation, sent on a thread of the library's own while
 * the host goes on (a timer polls it), its reply streaming in.
 * chatstart takes chat's arguments but the show-window flag and returns at once: 1 started; 0 when
 * an exchange, or a blocking call on another thread, is still running (nothing is sent); -1 when
 * it could not start. chatstatus: 0 nothing started yet, 1 running, 2 finished with a reply,
 * 3 failed, 4 cancelled. chatpoll: the reply so far while running, the whole reply once finished,
 * chat's error text once failed, the partial reply once cancelled; the text stays valid until the
 * next chatpoll of the same width (one buffer per width, reused: polling grows no memory).
 * chatcancel ends a running exchange, closing its connection, and returns once the status is 4:
 * 1 when it cancelled one, else 0. While an exchange runs, chat waits for it to end first and
 * newchat cancels it. */
LLMBRIDGE_API int LLMBRIDGE_CALL chatstart(const char* serverAddress, const char* apiKey,
                                           const char* prompt, const char* maxTokens,
                                           const char* model, const char* temperature);
LLMBRIDGE_API int LLMBRIDGE_CALL chatstartW(const llmbridge_wchar* serverAddress,
                                            const llmbridge_wchar* apiKey,
                                            const llmbridge_wchar* prompt,
                                            const llmbridge_wchar* maxTokens,
                                            const llmbridge_wchar* model,
                                            const llmbridge_wchar* temperature);
LLMBRIDGE_API int LLMBRIDGE_CALL chatstatus(void);
LLMBRIDGE_API const char* LLMBRIDGE_CALL chatpoll(void);
LLMBRIDGE_API const llmbridge_wchar* LLMBRIDGE_CALL chatpollW(void);
LLMBRIDGE_API int LLMBRIDGE_CALL chatcancel(void);

/* Sets a host option for every later call: 1 when set; 0, with the reason in lasterror and nothing
 * changed, when the name is unknown or the value is refused. An empty value brings the option's
 * default back. Options stay until changed or until the library is unloaded (newchat keeps them);
 * each call works with the options as they stood when it began, and setoption never waits for a
 * running call. The options (docs/hosts.md tells more):
 *   system     a system message sent before the conversation in every chat request
 *   body       a JSON object whose members join every chat request's body, taking the place of
 *              members of the same name ("messages" and "stream" are refused)
 *   imagebody  the same for imagen's request ("prompt" is refused)
 *   header     header lines ("Name: value", separated by LF or CR LF) for chat, getmodels and
 *              imageurl requests; never sent to the built-in image service or across a redirect
 *              to another origin (such a redirect fails the call)
 *   timeout    seconds for a whole exchange ("30", "2.5"); "0" means none
 *   proxy      "none", "system" or a proxy URL ("http://host:port", "socks5h://host:port")
 *   imageurl   a base URL for imagen ("http://127.0.0.1:8080/v1")
 *   imagedir   an existing folder: images answered as b64_json are written there and imagen
 *              returns the file's full path */
LLMBRIDGE_API int LLMBRIDGE_CALL setoption(const char* name, const char* value);
LLMBRIDGE_API int LLMBRIDGE_CALL setoptionW(const llmbridge_wchar* name,
                                            const llmbridge_wchar* value);

#ifdef __cplusplus
}
#endif

#endif /* LLMBRIDGE_H */
