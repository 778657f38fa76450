#!/usr/bin/env bash
# `make run`: starts Vemlora on $DISPLAY, or on a private Xvfb where it also
# takes a screenshot of the started window into build/vemlora.png.
set -uo pipefail
. "$(dirname "$0")/env.sh"
. "$(dirname "$0")/xvfb.sh"
exe=$BUILD/cmake/vemlora.exe
if [ -n "${DISPLAY:-}" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f </dev/null >/dev/null 2>&1
  exec wine "$exe"
fi
trap 'wineserver -k >/dev/null 2>&1; stop_xvfbs' EXIT
start_xvfb 24 || exit 1; export DISPLAY=$XVFB_DISPLAY
# No window manager on the private display: unmanaged windows show at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine "$exe" </dev/null &
app=$!
shot=$BUILD/vemlora.png
wid=
for _ in $(seq 100); do
  wid=$(xdotool search --onlyvisible --name '^Vemlora' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.2
done
sleep 2
# The started window alone, or the whole private screen if it cannot be told apart.
import -window "${wid:-root}" "$shot" 2>/dev/null || import -window root "$shot"
echo "screenshot: $shot"
echo "Vemlora runs on the private display $DISPLAY; close it or press Ctrl+C to stop."
wait $app
