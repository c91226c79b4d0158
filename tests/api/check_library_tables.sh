#!/usr/bin/env bash
# Checks a built library's symbol tables the way a host's loader sees them:
#   linux   <nm> <libllmbridge.so> <name:bytes,...>  exported symbols are exactly the names
#   windows <objdump> <llmbridge.dll> <name:bytes,...> export table is exactly the plain names,
#           and every imported DLL is a Windows system DLL (no MinGW runtime DLLs)
set -euo pipefail
kind=$1 tool=$2 library=$3 list=$4

expected=$(tr ',' '\n' <<<"$list" | cut -d: -f1 | sort)
fail=0

if [ "$kind" = linux ]; then
  actual=$("$tool" -D --defined-only "$library" | awk '$2 ~ /^[TtWDdBbRrVvi]$/ {print $3}' | sed 's/@.*//' | sort)
else
  dump=$("$tool" -p "$library")
  # The export table lists "[ordinal] name" rows under "[Ordinal/Name Pointer] Table".
  actual=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on && NF==0 {on=0}' <<<"$dump" | sort)
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u)
  allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|WS2_32|CRYPT32|bcrypt|msvcrt|ole32|OLEAUT32|COMCTL32|SHELL32|msimg32|IPHLPAPI|WINHTTP|api-ms-win-[a-z0-9-]+)\.dll$'
  while read -r dll; do
    [ -z "$dll" ] && continue
    if ! grep -qiE "$allowed" <<<"$dll"; then
      echo "imports a non-system DLL: $dll"
      fail=1
    fi
  done <<<"$imports"
  echo "imports: $(tr '\n' ' ' <<<"$imports")"
fi

if [ "$actual" != "$expected" ]; then
  echo "exports differ"
  echo "expected: $(tr '\n' ' ' <<<"$expected")"
  echo "actual:   $(tr '\n' ' ' <<<"$actual")"
  fail=1
else
  echo "exports: $(tr '\n' ' ' <<<"$actual")"
fi
exit $fail
