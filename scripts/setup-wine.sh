#!/usr/bin/env bash
# Prepares Wine for the Windows tests:  scripts/setup-wine.sh <prefix dir>
# 32-bit programs must be able to run, and the prefix is created once in the build tree.
set -euo pipefail
prefix=$1

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Some kernels boot with 32-bit support switched off (ia32_emulation=off); there 32-bit Wine
# runs under qemu-user, which a binfmt_misc entry starts for every 32-bit x86 program. The entry
# is registered with the F flag, so the kernel keeps the interpreter it opened then: an entry left
# from before a qemu upgrade still runs the old qemu. So it is dropped and registered afresh.
binfmt=/proc/sys/fs/binfmt_misc
drop_qemu_i386() {
  [ -e "$binfmt/qemu-i386" ] && echo -1 | "${sudo_cmd[@]}" tee "$binfmt/qemu-i386" >/dev/null
  return 0
}
register_qemu_i386() {
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
    "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
}

[ -e "$binfmt/register" ] || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
drop_qemu_i386
if ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  echo "setup-wine: this kernel runs no 32-bit code; running 32-bit Wine under $(qemu-i386-static --version | head -n 1)"
  register_qemu_i386
  /usr/lib/wine/wineserver32 --version >/dev/null
fi

stamp="$prefix/.llmbridge-ready"
[ -f "$stamp" ] && exit 0
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A 64-bit prefix serves both DLLs; its 32-bit half needs the 32-bit loader at creation time.
/usr/lib/wine/wine64 wineboot -i >"$prefix.log" 2>&1 </dev/null
/usr/lib/wine/wineserver -w
touch "$stamp"
