#!/usr/bin/env bash
# Installs what building and running need (Debian 12, as root), then makes the
# private Japanese locale and the project-local Wine prefix. Safe to run again.
set -euo pipefail
. "$(dirname "$0")/env.sh"

packages=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 cmake ninja-build make wine wine64 xvfb xauth
          fonts-ipafont-gothic googletest imagemagick xdotool locales gcc-12-source dpkg-dev)
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
# Debian's source package of the mingw-w64 runtime, of the installed version, for the pieces of the
# 32-bit program's runtime that tools/build-runtime.sh rebuilds. Fetched once through package lists of
# its own below $BUILD: the system's apt configuration is left as it is.
mingw_version=$(dpkg-query -W -f='${source:Version}' mingw-w64-common)
sources=$BUILD/sources
if [ "$(cat "$sources/mingw-w64.version" 2>/dev/null)" != "$mingw_version" ]; then
  echo "fetching Debian's mingw-w64 source package $mingw_version"
  apt=$sources/apt
  rm -rf "$sources"; mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
  sed 's/^deb /deb-src /' /etc/apt/sources.list 2>/dev/null | grep '^deb-src ' >"$apt/sources.list" || true
  for f in /etc/apt/sources.list.d/*.sources; do
    if [ -f "$f" ]; then sed 's/^Types: deb$/Types: deb-src/' "$f" >"$apt/parts/${f##*/}"; fi
  done
  opts=(-q -o APT::Sandbox::User=root -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
  apt-get "${opts[@]}" update >/dev/null
  (cd "$sources" && apt-get "${opts[@]}" source --download-only "mingw-w64=$mingw_version" >/dev/null)
  # (apt checked the package against the signed archive; dpkg-source finds no maintainer keys here)
  dpkg-source -x "$sources"/mingw-w64_*.dsc "$sources/mingw-w64" >"$sources/unpack.log" 2>&1 ||
    { cat "$sources/unpack.log"; exit 1; }
  rm -rf "$apt" "$sources"/mingw-w64_* "$sources/unpack.log"
  echo "$mingw_version" >"$sources/mingw-w64.version"
fi
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
