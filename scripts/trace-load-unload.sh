#!/usr/bin/env bash
# Records which system functions a Windows build of the library calls while it is loaded and
# unloaded, and nothing else:  scripts/trace-load-unload.sh <llmbridge.dll> <trace file>
#
# A small loader program does LoadLibraryW and FreeLibrary under Wine's relay trace; only the calls
# whose return address lies inside the library's own image are kept. Addresses, handles and thread
# ids change from run to run, and atoms (class names, registered messages) with every class
# registered in the Wine session, so every value Wine prints of 0xC000 or more becomes "@"; smaller
# ones (flags, sizes, counts) stay. Two traces of builds that make the same calls in the
# same order therefore compare equal with diff. A manual tool: run it with WINEPREFIX set, and with
# DISPLAY naming an X server (Xvfb will do) so that the library's windows can be made.
set -euo pipefail
dll=$(realpath "$1")
trace=$2
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix}"

case $(x86_64-w64-mingw32-objdump -f "$dll") in
  *pei-i386*) arch=i686 loader=/usr/lib/wine/wine ;;
  *pei-x86-64*) arch=x86_64 loader=/usr/lib/wine/wine64 ;;
  *) echo "trace-load-unload: $dll is not a Windows DLL" >&2; exit 2 ;;
esac
image_size=$((16#$(x86_64-w64-mingw32-objdump -p "$dll" | awk '$1 == "SizeOfImage" { print $2 }')))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/load_unload.c" <<'EOF'
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  HMODULE library = LoadLibraryW(argv[1]);
  if (library == NULL) return 1;
  return FreeLibrary(library) ? 0 : 1;
}
EOF
"$arch-w64-mingw32-gcc" -municode -O1 -o "$work/load_unload.exe" "$work/load_unload.c"

# Wine's output goes to a file: its background processes would hold a pipe open.
WINEDEBUG=+relay,+loaddll WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 \
  "$loader" "$work/load_unload.exe" "Z:$dll" >"$work/relay.log" 2>&1 || {
  echo "trace-load-unload: the loader failed; see its output below" >&2
  tail -n 20 "$work/relay.log" >&2
  exit 1
}

name=$(basename "$dll")
NAME=$name SIZE=$image_size perl -ne '
  # The image base comes from the loader: Loaded L"Z:\...\llmbridge.dll" at 6B400000: native
  if (/Loaded L"[^"]*\\\Q$ENV{NAME}\E" at ([0-9A-Fa-f]+)/i) { $base = hex($1); next }
  next unless $base && /:(?:Call|Ret) / && / ret=([0-9a-f]+)$/;
  next if hex($1) < $base || hex($1) >= $base + $ENV{SIZE};
  s/^[0-9a-f]+://;         # the thread id
  s/ ret=[0-9a-f]+$//;      # where in the library the call came from
  s/\b([0-9a-f]{4,})\b/hex($1) >= 0xC000 ? "@" : $&/ge;
  print;
' "$work/relay.log" >"$trace"
[ -s "$trace" ] || { echo "trace-load-unload: no call from $name was traced" >&2; exit 1; }
echo "trace-load-unload: $(wc -l <"$trace") lines in $trace"
