#!/usr/bin/env bash
# Installs what building and running need (Debian 12, as root), then makes the
# private Japanese locale and the project-local Wine prefix. Safe to run again.
set -euo pipefail
. "$(dirname "$0")/env.sh"

packages=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 cmake ninja-build make wine wine64 xvfb xauth
          fonts-ipafont-gothic googletest imagemagick xdotool locales icoutils)  # icoutils: make fuzz
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi

mkdir -p "$BUILD"
if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
  mkdir -p "$LOCPATH"
  localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" || [ -d "$LOCPATH/ja_JP.UTF-8" ]
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w
fi
# The program's font, "ＭＳ Ｐゴシック", is proportional: give it the proportional IPA face.
if [ ! -f "$WINEPREFIX/.vemlora-fonts" ]; then
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d 'IPAGothic' /f >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$WINEPREFIX/.vemlora-fonts"
fi
# A crashing test ends at once instead of waiting in the debugger.
if [ ! -f "$WINEPREFIX/.vemlora-nodebugger" ]; then
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 </dev/null
  wineserver -w
  touch "$WINEPREFIX/.vemlora-nodebugger"
fi
