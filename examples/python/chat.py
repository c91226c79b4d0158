#!/usr/bin/env python3
"""A two-turn conversation through llmbridge from Python, with ctypes.

    python3 chat.py [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]

The library keeps the conversation between calls, so the second question can refer to the first.
Strings the library returns belong to it: read them, never free them.
"""
import argparse
import ctypes
import sys


def load(path):
    library = ctypes.CDLL(path)
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
    parser.add_argument("--library", default="./libllmbridge.so")
    parser.add_argument("--server", default="127.0.0.1:8080")
    parser.add_argument("--key", default="sk-mock")
    parser.add_argument("--model", default="mock-small")
    args = parser.parse_args()

    library = load(args.library)
    encoding = "cp1252"  # the library's ANSI code page on Linux
    print("llmbridge", library.checkdllversion().decode(encoding))
    models = library.getmodels(args.server.encode(), args.key.encode()).decode(encoding)
    print("models:", ", ".join(models.split("\r")) or "(none)")

    for question in ("What is the capital of France?", "And what did I ask you first?"):
        print("you>", question)
        reply = library.chat(args.server.encode(), args.key.encode(), question.encode(encoding),
                             b"200", args.model.encode(), b"0.7", b"false").decode(encoding)
        if is_error(reply):
            print("error:", reply, file=sys.stderr)
            return 1
        print("assistant>", reply)
    return 0


if __name__ == "__main__":
    sys.exit(main())
