#!/usr/bin/env python3
"""A two-turn conversation through llmbridge from Python, with ctypes.

    python3 chat.py [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]

The library keeps the conversation between calls, so the second question can refer to the first.
Strings the library returns belong to it: read them, never free them.
"""
import argparse
import ctypes
import sys


# The ANSI code page the library speaks: the process's on Windows; Windows-1252 in the default
# Linux build ("utf-8" for a build configured with LLMBRIDGE_ANSI_IS_UTF8).
ENCODING = "mbcs" if sys.platform == "win32" else "cp1252"
DEFAULT_LIBRARY = "llmbridge.dll" if sys.platform == "win32" else "./libllmbridge.so"


def load(path):
    # WinDLL calls with __stdcall, which the 32-bit Windows DLL uses; elsewhere it is CDLL's call.
    library = (ctypes.WinDLL if sys.platform == "win32" else ctypes.CDLL)(path)
    # Every argument is a narrow string in the ANSI code page; every result is one too.
    library.chat.argtypes = [ctypes.c_char_p] * 7
    library.chat.restype = ctypes.c_char_p  # ctypes copies the text; the buffer stays the library's
    library.getmodels.argtypes = [ctypes.c_char_p] * 2
    library.getmodels.restype = ctypes.c_char_p
    library.checkdllversion.argtypes = []
    library.checkdllversion.restype = ctypes.c_char_p
    return library


def is_error(reply):
    return reply == "Request Failed" or reply.startswith("Api Error code: ")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--library", default=DEFAULT_LIBRARY)
    parser.add_argument("--server", default="127.0.0.1:8080")
    parser.add_argument("--key", default="sk-mock")
    parser.add_argument("--model", default="mock-small")
    args = parser.parse_args()

    library = load(args.library)
    print("llmbridge", library.checkdllversion().decode(ENCODING))
    models = library.getmodels(args.server.encode(), args.key.encode()).decode(ENCODING)
    print("models:", ", ".join(models.split("\r")) or "(none)")

    for question in ("What is the capital of France?", "And what did I ask you first?"):
        print("you>", question)
        reply = library.chat(args.server.encode(), args.key.encode(), question.encode(ENCODING),
                             b"200", args.model.encode(), b"0.7", b"false").decode(ENCODING)
        if is_error(reply):
            print("error:", reply, file=sys.stderr)
            return 1
        print("assistant>", reply)
    return 0


if __name__ == "__main__":
    sys.exit(main())
