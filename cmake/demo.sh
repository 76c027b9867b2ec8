#!/usr/bin/env bash
# The main job, end to end: registers the filter in the private Wine prefix,
# records 5 seconds from the default emulated camera (BayerRG8 on the camera,
# RGB24 on the "Capture" pin, 30 frames per second) into OUTPUT/demo.avi with
# korvel-capture, writes OUTPUT/demo.png from the recording with ffmpeg and
# prints the summary.
#
# Usage: cmake/demo.sh BUILD_DIR OUTPUT_DIR
# BUILD_DIR is the Windows build tree (with bin/KorvelGenICamSource.ax and
# bin/korvel-capture.exe). WINEPREFIX and the rest come from ./korvel; run on
# its own, cmake/wine-run.sh falls back to the build tree's prefix.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$here/wine-run.sh

fail() {
    printf 'demo: %s\n' "$*" >&2
    exit 1
}

[ $# -eq 2 ] || fail "usage: $0 BUILD_DIR OUTPUT_DIR"
build=$(cd "$1" && pwd) || fail "no build directory $1"
mkdir -p "$2" || fail "cannot create the output directory $2"
out=$(cd "$2" && pwd)

module=$build/bin/KorvelGenICamSource.ax
capture=$build/bin/korvel-capture.exe
[ -f "$module" ] || fail "$module is missing: build the Windows flavour first"
[ -f "$capture" ] || fail "$capture is missing: build the Windows flavour first"
command -v ffmpeg >/dev/null || fail "ffmpeg is missing (Debian package ffmpeg)"
command -v ffprobe >/dev/null || fail "ffprobe is missing (Debian package ffmpeg)"

# Wine sees the Unix root as drive Z:.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}

echo "registering $(basename "$module") in the Wine prefix"
"$wine_run" regsvr32 /s "$(windows_path "$module")" </dev/null ||
    fail "regsvr32 could not register $module (exit code $?); run with WINEDEBUG=-all,err+module to see why"

avi=$out/demo.avi
png=$out/demo.png
rm -f "$avi" "$png"

echo "recording 5 s from \"Korvel GenICam Source\" into $avi"
"$wine_run" "$capture" --device "Korvel GenICam Source" --camera-format BayerRG8 --format RGB24 \
    --size 1920x1200 --fps 30 --seconds 5 --output "$(windows_path "$avi")" </dev/null ||
    fail "korvel-capture failed (exit code $?)"
[ -s "$avi" ] || fail "korvel-capture left no $avi"

# A frame from the middle of the recording, as PNG.
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
    -of default=nw=1:nk=1 "$avi") || fail "ffprobe cannot read $avi"
[ "${frames:-0}" -gt 0 ] || fail "$avi holds no frame"
middle=$((frames / 2))
ffmpeg -v error -y -i "$avi" -vf "select=eq(n\\,$middle)" -frames:v 1 "$png" </dev/null ||
    fail "ffmpeg could not write $png from $avi"
[ -s "$png" ] || fail "ffmpeg left no $png"

echo
echo "demo summary"
ffprobe -v error -select_streams v:0 \
    -show_entries stream=codec_name,codec_tag_string,pix_fmt,width,height,r_frame_rate,nb_frames,duration \
    -of default=nw=1 "$avi" | sed 's/^/  /'
printf '  file=%s (%s bytes)\n' "$avi" "$(stat -c %s "$avi")"
printf '  picture=%s (frame %d of %d)\n' "$png" "$middle" "$frames"
