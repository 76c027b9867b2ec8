#!/usr/bin/env bash
# The Windows package from unpacking to uninstalling, in a fresh Wine prefix of
# its own: install.cmd registers the filter, the capture tool (from the
# package's tools folder, away from the SDK) records one second, uninstall.cmd
# unregisters it, and afterwards no registry entry of ours is left.
#
# Usage: package_roundtrip_test.sh BUILD_DIR
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$WINE

failures=0
check() {  # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}
finish() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    rm -rf "$work"
}
trap finish EXIT

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
wine_quiet() { "$WINE" "$@" </dev/null 2>/dev/null; }
registry_has() { wine_quiet reg.exe query "$1" >/dev/null; }

# The registry as Wine stores it, written out by stopping the server.
registry_mentions_us() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    grep -i -q -E 'korvel|024FEA24-EB9B-4943-86ED-C6CAC2950D65|872D90E3-8937-481F-ACB6-5D7696B7C509|D549EF23-DC49-4D38-AEF2-414583726729|665F6FDD-7AF1-4CA9-AD30-EE9CF84C00E3|4035A8A4-D1A2-4D1D-9052-DE97A5224F36|510F3031-63DE-4BBB-8468-5A42056DD2C8' \
        "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg "$WINEPREFIX"/userdef.reg
}
registry_is_clean() { ! registry_mentions_us; }

zip=$("$root/cmake/package.sh" "$build" "$work/out") || { echo "FAILED: cmake/package.sh"; exit 1; }
check "package written" test -s "$zip"
contents=$(unzip -Z1 "$zip")
for file in KorvelGenICamSource.ax QuillBase_MD_VC80.dll OrelGenICamConfig.dll tools/korvel-capture.exe \
    install.cmd uninstall.cmd README.txt; do
    check "package holds $file" grep -q -E "^[^/]+/$file\$" <<<"$contents"
done

# Unpacked under a folder name with a space, as under "Program Files".
mkdir -p "$work/Program Files"
unzip -q "$zip" -d "$work/Program Files" || { echo "FAILED: unzip"; exit 1; }
installed=$(ls -d "$work/Program Files"/KorvelGenICamSource-*-win64)

echo "creating a fresh Wine prefix"
wine_quiet wineboot -i >/dev/null
"$WINESERVER" -w
wine_quiet reg.exe add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
check "a fresh prefix knows nothing of us" registry_is_clean

output=$(wine_quiet cmd.exe /c "$(windows_path "$installed/install.cmd")" | tr -d '\r')
status=$?
echo "$output"
check "install.cmd exits with 0" test "$status" -eq 0
check "install.cmd says it installed" grep -q "is installed" <<<"$output"
check "the filter's class is registered" \
    registry_has 'HKCR\CLSID\{024FEA24-EB9B-4943-86ED-C6CAC2950D65}\InprocServer32'
check "the property page's class is registered" \
    registry_has 'HKCR\CLSID\{872D90E3-8937-481F-ACB6-5D7696B7C509}\InprocServer32'
check "the type library is registered" registry_has 'HKCR\TypeLib\{D549EF23-DC49-4D38-AEF2-414583726729}'
check "the filter is listed as a video capture device" \
    registry_has 'HKCR\CLSID\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\Instance\Korvel GenICam Source'

avi=$work/one-second.avi
capture_output=$(wine_quiet "$(windows_path "$installed/tools/korvel-capture.exe")" --format RGB24 --size 640x480 \
    --fps 30 --seconds 1 --quiet --output "$(windows_path "$avi")" | tr -d '\r')
status=$?
echo "$capture_output"
check "korvel-capture from the package exits with 0" test "$status" -eq 0
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
    -of default=nw=1:nk=1 "$avi" 2>/dev/null || echo 0)
check "one second recorded ($frames frames at 30 fps)" test "${frames:-0}" -ge 15

output=$(wine_quiet cmd.exe /c "$(windows_path "$installed/uninstall.cmd")" | tr -d '\r')
status=$?
echo "$output"
check "uninstall.cmd exits with 0" test "$status" -eq 0
check "no registry entry of ours is left" registry_is_clean

# The scripts refuse a half-unpacked package with a clear message.
rm "$installed/OrelGenICamConfig.dll"
output=$(wine_quiet cmd.exe /c "$(windows_path "$installed/install.cmd")" | tr -d '\r')
status=$?
check "install.cmd refuses an incomplete package with exit code 2" test "$status" -eq 2
check "and names the missing file" grep -q "OrelGenICamConfig.dll is missing" <<<"$output"
check "and registers nothing" registry_is_clean

echo "$failures failed"
[ "$failures" -eq 0 ]
