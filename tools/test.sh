#!/usr/bin/env bash
# `make test`: every test executable under Wine on private Xvfb servers (depths 24, 16 and 8).
set -uo pipefail
. "$(dirname "$0")/env.sh"
. "$(dirname "$0")/xvfb.sh"
# The shell's wastebasket of this run, not the user's: Wine keeps it below XDG_DATA_HOME.
export XDG_DATA_HOME=$BUILD/test-data
rm -rf "$XDG_DATA_HOME"; mkdir -p "$XDG_DATA_HOME"
trap 'wineserver -k >/dev/null 2>&1; stop_xvfbs; rm -rf "$XDG_DATA_HOME"' EXIT
start_xvfb 24 || exit 1; export DISPLAY=$XVFB_DISPLAY
start_xvfb 16 || exit 1; export VEMLORA_DISPLAY_16=$XVFB_DISPLAY
start_xvfb 8 || exit 1;  export VEMLORA_DISPLAY_8=$XVFB_DISPLAY
# One wineserver for the whole run: ctest would otherwise wait for it after every test.
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1  # one started without the wastebasket above
wineserver -p 60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# Unmanaged windows: without a window manager Wine would wait 2 s for every hidden window.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
cd "$BUILD/cmake"
ctest --output-on-failure -j1 "$@"
rc=$?
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
exit $rc
