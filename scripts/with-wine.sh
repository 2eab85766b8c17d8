#!/usr/bin/env bash
# Runs one command in a Wine session of its own and cleans up afterwards:
# a throwaway WINEPREFIX (with the Tahoma-compatible fonts of fonts-wine),
# an Xvfb display on a free number and a persistent wineserver, so that each
# Windows test program starts quickly. Every process it starts is stopped by
# its pid when the command ends, whatever its outcome.
#   scripts/with-wine.sh ctest --test-dir build/win64 -R rtl
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }

wine_dir=/usr/lib/wine
export WINELOADER=$wine_dir/wine64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko (their install dialogs would wait for a user), and no desktop
# menu entries written for the throwaway prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}

session=$(mktemp -d /tmp/rd-wine.XXXXXX)
export WINEPREFIX=$session/prefix
mkdir -p "$WINEPREFIX"

xvfb_pid= server_pid=
stop_all() {
  if [ -n "$server_pid" ]; then
    # Ends the Wine processes of this prefix, then the server itself.
    "$wine_dir/wineserver" -k 2>/dev/null
    for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$session"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number to the file.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" 2>"$session/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$session/display" ] && break; sleep 0.1; done
[ -s "$session/display" ] || { echo "Xvfb did not start:" >&2; cat "$session/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$session/display")

"$wine_dir/wineserver" -f -p &
server_pid=$!
"$WINELOADER" wineboot -i >"$session/wineboot.log" 2>&1 || { echo "wineboot failed:" >&2; cat "$session/wineboot.log" >&2; exit 1; }
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

"$@"
