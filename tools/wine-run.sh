#!/usr/bin/env bash
# Runs a Windows program under the private Wine environment.
# VEMLORA_WINVER (win95, win98, nt40, win10) runs it as a renamed copy that Wine
# reports as that Windows version; VEMLORA_DEPTH (8, 16) picks the Xvfb of that depth.
. "$(dirname "$0")/env.sh"
exe=$1; shift
if [ -n "${VEMLORA_WINVER:-}" ]; then
  base=$(basename "$exe" .exe)-$VEMLORA_WINVER.exe
  cp -f "$exe" "$(dirname "$exe")/$base"
  key="HKCU\\Software\\Wine\\AppDefaults\\$base"
  # The version is read when the process starts: make sure the value is there before it does,
  # since a run without it would silently test the default Windows.
  for try in 1 2 3 4 5; do
    wine reg add "$key" /v Version /d "$VEMLORA_WINVER" /f </dev/null >/dev/null 2>&1
    wine reg query "$key" /v Version </dev/null 2>/dev/null | tr -d '\r' | grep -qw "$VEMLORA_WINVER" && break
    [ "$try" = 5 ] && { echo "wine-run: could not set $key Version to $VEMLORA_WINVER" >&2; exit 1; }
    sleep 1
  done
  exe=$(dirname "$exe")/$base
fi
if [ -n "${VEMLORA_DEPTH:-}" ]; then
  var=VEMLORA_DISPLAY_$VEMLORA_DEPTH
  [ -n "${!var:-}" ] && export DISPLAY=${!var}
fi
exec wine "$exe" "$@"
