#!/usr/bin/env bash
# Builds the Windows package: a zip with the filter, the camera SDK, the
# feature dialog library, the capture tool, install.cmd, uninstall.cmd and a
# README, all in one folder named like the zip.
#
# Usage: cmake/package.sh BUILD_DIR OUTPUT_DIR
# BUILD_DIR is the Windows build tree; prints the path of the zip.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

fail() {
    printf 'package: %s\n' "$*" >&2
    exit 1
}

[ $# -eq 2 ] || fail "usage: $0 BUILD_DIR OUTPUT_DIR"
build=$(cd "$1" && pwd) || fail "no build directory $1"
mkdir -p "$2" || fail "cannot create $2"
out=$(cd "$2" && pwd)
command -v zip >/dev/null || fail "zip is missing (Debian package zip)"

version=$(sed -nE 's/^project\(KorvelGenICamSource VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
name=KorvelGenICamSource-${version:-1.0.0}-win64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=$stage/$name
mkdir -p "$folder/tools"

for file in KorvelGenICamSource.ax QuillBase_MD_VC80.dll OrelGenICamConfig.dll; do
    [ -f "$build/bin/$file" ] || fail "$build/bin/$file is missing: build the Windows flavour first"
    cp "$build/bin/$file" "$folder/"
done
[ -f "$build/bin/korvel-capture.exe" ] || fail "$build/bin/korvel-capture.exe is missing"
cp "$build/bin/korvel-capture.exe" "$folder/tools/"
cp "$root/packaging/install.cmd" "$root/packaging/uninstall.cmd" "$root/packaging/README.txt" "$folder/"
x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.ax "$folder"/*.dll "$folder"/tools/*.exe 2>/dev/null || true

zip=$out/$name.zip
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$zip" "$name") || fail "zip could not write $zip"
echo "$zip"
