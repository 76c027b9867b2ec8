#!/usr/bin/env bash
# Runs the stress program under Wine: run-stress.sh BUILD_DIR [short|long].
# BUILD_DIR is a Windows build tree with korvel-stress built; its private
# prefix is used unless WINEPREFIX is set. Exit code: the program's (0 passed,
# 1 failed, 2 bad arguments, 3 a step hung).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: run-stress.sh BUILD_DIR [short|long]}
mode=${2:-short}
build=$(cd "$build" && pwd)
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
exec "$here/cmake/wine-run.sh" "$build/bin/korvel-stress.exe" "$mode"
