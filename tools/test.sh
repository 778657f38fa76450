#!/usr/bin/env bash
# `make test`: every test executable under Wine on private Xvfb servers (depths 24, 16 and 8).
set -uo pipefail
. "$(dirname "$0")/env.sh"
. "$(dirname "$0")/xvfb.sh"
trap 'wineserver -k >/dev/null 2>&1; stop_xvfbs' EXIT
start_xvfb 24 || exit 1; export DISPLAY=$XVFB_DISPLAY
start_xvfb 16 || exit 1; export VEMLORA_DISPLAY_16=$XVFB_DISPLAY
start_xvfb 8 || exit 1;  export VEMLORA_DISPLAY_8=$XVFB_DISPLAY
# One wineserver for the whole run: ctest would otherwise wait for it after every test.
wineserver -p 60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# Unmanaged windows: without a window manager Wine would wait 2 s for every hidden window.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
cd "$BUILD/cmake"
ctest --output-on-failure -j1 "$@"
rc=$?
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
exit $rc
