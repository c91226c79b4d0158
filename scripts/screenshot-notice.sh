#!/usr/bin/env bash
# Takes a screenshot of the progress window under Xvfb for each given build tree (Linux or
# Windows under Wine), into <build>/screenshots/progress-notice.png (the window with a margin)
# and progress-notice-screen.png (the whole 1024x768 screen).
#   screenshot-notice.sh <build-dir>...      default: build/linux and build/win64
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/linux" "$root/build/win64"

screen_width=1024 screen_height=768
# The window is 220x40, centred; 20 pixels of screen around it.
crop="260x80+$(((screen_width - 220) / 2 - 20))+$(((screen_height - 40) / 2 - 20))"

capture() {  # <build-dir>
  local build=$1 out=$1/screenshots ready
  mkdir -p "$out"
  ready=$(mktemp -u "$out/ready.XXXXXX")
  "$build/bin/run-notice-demo.sh" "$ready" 3 &
  local demo=$!
  for _ in $(seq 200); do [ -e "$ready" ] && break; sleep 0.1; done
  if [ ! -e "$ready" ]; then
    echo "screenshot-notice: the window did not come up for $build" >&2
    wait "$demo" || true
    return 1
  fi
  xwd -root -silent >"$out/screen.xwd"
  wait "$demo"
  rm -f "$ready"
  convert "xwd:$out/screen.xwd" "png:$out/progress-notice-screen.png"
  convert "xwd:$out/screen.xwd" -crop "$crop" +repage "png:$out/progress-notice.png"
  rm -f "$out/screen.xwd"
  echo "screenshot-notice: $out/progress-notice.png"
}

# The script runs itself again inside the X server's session for each tree.
if [ "${1:-}" = --inside-x ]; then
  capture "$2"
  exit
fi
for build in "$@"; do
  [ -x "$build/bin/run-notice-demo.sh" ] || { echo "no notice demo built in $build" >&2; exit 1; }
  xvfb-run -a -s "-screen 0 ${screen_width}x${screen_height}x24 -noreset" "$0" --inside-x "$build"
done
