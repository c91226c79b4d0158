#!/usr/bin/env python3
"""A conversation through llmbridge from Python, with ctypes and the UTF-16 exports.

    python3 chat.py [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]

The library keeps the conversation between calls, so the second question can refer to the first;
newchat() starts a new one. The last turn is a live one: chatstartW() returns at once and the
reply is polled as it streams in, as a host's timer would. The exports ending in W take and return UTF-16 text, so any language
and any emoji arrive intact. Strings the library returns belong to it: read them, never free them.
"""
import argparse
import ctypes
import sys
import time

DEFAULT_LIBRARY = "llmbridge.dll" if sys.platform == "win32" else "./libllmbridge.so"

# The library's UTF-16 strings. On Windows they are wchar_t strings, which ctypes.c_wchar_p
# converts. Elsewhere wchar_t has 32 bits, so c_wchar_p would pass UTF-32: the text is encoded to
# UTF-16 here and passed as an array of 16-bit units, and results are read back unit by unit.
if sys.platform == "win32":
    WideString = ctypes.c_wchar_p

    def to_wide(text):
        return text

    def from_wide(result):
        return result or ""

else:
    WideString = ctypes.POINTER(ctypes.c_uint16)
    UTF16 = "utf-16-le" if sys.byteorder == "little" else "utf-16-be"

    def to_wide(text):
        units = text.encode(UTF16) + b"\0\0"
        return (ctypes.c_uint16 * (len(units) // 2)).from_buffer_copy(units)

    def from_wide(result):
        if not result:
            return ""
        length = 0
        while result[length] != 0:
            length += 1
        return ctypes.string_at(result, 2 * length).decode(UTF16, "surrogatepass")


def load(path):
    # WinDLL calls with __stdcall, which the 32-bit Windows DLL uses; elsewhere it is CDLL's call.
    library = (ctypes.WinDLL if sys.platform == "win32" else ctypes.CDLL)(path)
    # The results are the library's buffers: from_wide copies them and leaves them alone.
    library.chatW.argtypes = [WideString] * 7
    library.chatW.restype = WideString
    library.getmodelsW.argtypes = [WideString] * 2
    library.getmodelsW.restype = WideString
    library.checkdllversionW.argtypes = []
    library.checkdllversionW.restype = WideString
    library.newchat.argtypes = []
    library.newchat.restype = ctypes.c_int
    library.chatstartW.argtypes = [WideString] * 6
    library.chatstartW.restype = ctypes.c_int
    library.chatstatus.argtypes = []
    library.chatstatus.restype = ctypes.c_int
    # A poll's text is the library's until the next poll: from_wide copies it at once.
    library.chatpollW.argtypes = []
    library.chatpollW.restype = WideString
    return library


RUNNING, FINISHED = 1, 2


def chat_live(library, args, question):
    """Streams the reply in, printing it as it grows; returns the whole reply or the error."""
    started = library.chatstartW(*(to_wide(text) for text in (
        args.server, args.key, question, "200", args.model, "0.7")))
    if started != 1:
        return "Request Failed"
    shown = ""
    print("live> ", end="", flush=True)
    while True:
        status = library.chatstatus()
        text = from_wide(library.chatpollW())
        print(text[len(shown):] if text.startswith(shown) else "\n" + text, end="", flush=True)
        shown = text
        if status != RUNNING:
            print()
            return text
        time.sleep(0.02)


def chat(library, args, question):
    return from_wide(library.chatW(*(to_wide(text) for text in (
        args.server, args.key, question, "200", args.model, "0.7", "false"))))


def is_error(reply):
    return reply == "Request Failed" or reply.startswith("Api Error code: ")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--library", default=DEFAULT_LIBRARY)
    parser.add_argument("--server", default="127.0.0.1:8080")
    parser.add_argument("--key", default="sk-mock")
    parser.add_argument("--model", default="mock-small")
    args = parser.parse_args()
    # Replies may hold any character; write them as UTF-8 whatever the locale.
    sys.stdout.reconfigure(encoding="utf-8")

    library = load(args.library)
    print("llmbridge", from_wide(library.checkdllversionW()))
    models = from_wide(library.getmodelsW(to_wide(args.server), to_wide(args.key)))
    print("models:", ", ".join(models.split("\r")) or "(none)")

    conversations = (
        ("What is the capital of France?", "And what did I ask you first?"),
        ("\u4e2d\u6587 \u041f\u0440\u0438\u0432\u0435\u0442 \U0001F600 e\u0301",),
    )
    for number, questions in enumerate(conversations):
        if number > 0:
            library.newchat()
            print("(new conversation)")
        for question in questions:
            print("you>", question)
            reply = chat(library, args, question)
            if is_error(reply):
                print("error:", reply, file=sys.stderr)
                return 1
            print("assistant>", reply)
    reply = chat_live(library, args, "Stream this, please")
    if is_error(reply):
        print("error:", reply, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
