#!/usr/bin/env bash
# `make bench`: builds the benchmarks and runs them under Wine on a private Xvfb.
set -uo pipefail
. "$(dirname "$0")/env.sh"
. "$(dirname "$0")/xvfb.sh"
cmake --build "$BUILD/cmake" --target bench_iconlistbox bench_startup startup_floor bench_change_thread bench_shell_tree || exit 1
trap 'wineserver -k >/dev/null 2>&1; stop_xvfbs' EXIT
start_xvfb 24 || exit 1; export DISPLAY=$XVFB_DISPLAY
wineserver -p 60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
# Unmanaged windows: without a window manager Wine would wait 2 s for every hidden window.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine "$BUILD/cmake/bench_iconlistbox.exe" </dev/null
rc=$?
wine "$BUILD/cmake/bench_change_thread.exe" </dev/null || rc=1
wine "$BUILD/cmake/bench_shell_tree.exe" </dev/null || rc=1
wine "$BUILD/cmake/bench_startup.exe" "$(winepath -w "$BUILD/vemlora.exe")" "$(winepath -w "$BUILD/cmake/startup_floor.exe")" </dev/null || rc=1
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
exit $rc
