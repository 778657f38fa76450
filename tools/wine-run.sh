#!/usr/bin/env bash
# Runs a Windows program under the private Wine environment.
# VEMLORA_WINVER (win95, win98, nt40, win10) runs it as a renamed copy that Wine
# reports as that Windows version; VEMLORA_DEPTH (8, 16) picks the Xvfb of that depth.
. "$(dirname "$0")/env.sh"
exe=$1; shift
if [ -n "${VEMLORA_WINVER:-}" ]; then
  base=$(basename "$exe" .exe)-$VEMLORA_WINVER.exe
  cp -f "$exe" "$(dirname "$exe")/$base"
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$base" /v Version /d "$VEMLORA_WINVER" /f >/dev/null 2>&1
  exe=$(dirname "$exe")/$base
fi
if [ -n "${VEMLORA_DEPTH:-}" ]; then
  var=VEMLORA_DISPLAY_$VEMLORA_DEPTH
  [ -n "${!var:-}" ] && export DISPLAY=${!var}
fi
exec wine "$exe" "$@"
