# Sourced by the other scripts: the private Wine environment of this checkout.
# Nothing here touches the user's own Wine prefix or the system's locales.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
export BUILD
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
export BUILD
export WINEPREFIX=$BUILD/wineprefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LOCPATH=$BUILD/locale
{ export LC_ALL=ja_JP.UTF-8; } 2>/dev/null
{ export LANG=ja_JP.UTF-8; } 2>/dev/null
unset LANGUAGE
