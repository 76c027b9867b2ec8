#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's private prefix.
# WINEPREFIX is set by ./korvel; when this script is called on its own it
# falls back to the prefix in the default Windows build tree.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINELOADER=${WINELOADER:-/usr/lib/wine/wine64}
exec /usr/lib/wine/wine64 "$@"
