/*
 * llmbridge: talk to OpenAI-compatible LLM servers from any program that can call a C function.
 *
 * Every string argument is a NUL-terminated narrow string in the process's ANSI code page; a null
 * pointer reads as the empty string. Every string result is a NUL-terminated narrow string in the
 * same code page. Result strings belong to the library: never free them. Each one stays valid until
 * the library is unloaded.
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

#ifdef __cplusplus
extern "C" {
#endif

/* Sends one user turn of the running conversation and returns the assistant's reply, or
 * "Request Failed" / "Api Error code: <status>" (status 0 when no answer arrived). A failed
 * exchange starts a new conversation. showWindow "true" shows a small progress window during the
 * request. */
LLMBRIDGE_API const char* LLMBRIDGE_CALL chat(const char* serverAddress, const char* apiKey,
                                              const char* prompt, const char* maxTokens,
                                              const char* model, const char* temperature,
                                              const char* showWindow);

/* Returns the server's model ids separated by carriage returns (the last list found, or empty). */
LLMBRIDGE_API const char* LLMBRIDGE_CALL getmodels(const char* serverAddress, const char* apiKey);

/* Asks the image service for one image and returns the string it answers with (the image URL),
 * or an error text as chat does. */
LLMBRIDGE_API const char* LLMBRIDGE_CALL imagen(const char* apiKey, const char* prompt,
                                                const char* imageSize, const char* showWindow);

/* Returns "1.11". */
LLMBRIDGE_API const char* LLMBRIDGE_CALL checkdllversion(void);

/* Returns 0 and releases nothing: results stay valid until the library is unloaded. */
LLMBRIDGE_API int LLMBRIDGE_CALL FreeMem(void);

#ifdef __cplusplus
}
#endif

#endif /* LLMBRIDGE_H */
