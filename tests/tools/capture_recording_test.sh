#!/usr/bin/env bash
# Records 3 s from the default emulated camera with korvel-capture in each
# recorded format and checks every file with ffprobe: frame count within 10%
# of rate x time, size, pixel format; then decodes one frame with ffmpeg.
#
# Usage: capture_recording_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_run=$root/cmake/wine-run.sh
capture=$build/bin/korvel-capture.exe
module=$build/bin/KorvelGenICamSource.ax
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}

"$wine_run" regsvr32 /s "$(windows_path "$module")" </dev/null

seconds=3
fps=30
expected=$((seconds * fps))
low=$((expected * 9 / 10))
high=$((expected * 11 / 10))
failures=0

declare -A pixel_formats=([RGB24]=bgr24 [RGB32]=bgra [YUY2]=yuyv422 [UYVY]=uyvy422 [I420]=yuv420p [Y800]=gray)
for format in RGB24 RGB32 YUY2 UYVY I420 Y800; do
    avi=$work/$format.avi
    if ! "$wine_run" "$capture" --format "$format" --size 640x480 --fps "$fps" --seconds "$seconds" --quiet \
        --output "$(windows_path "$avi")" </dev/null >"$work/$format.log" 2>&1; then
        echo "FAIL $format: korvel-capture failed"
        cat "$work/$format.log"
        failures=$((failures + 1))
        continue
    fi
    IFS=, read -r width height pix_fmt frames < <(ffprobe -v error -select_streams v:0 -count_frames \
        -show_entries stream=width,height,pix_fmt,nb_read_frames -of csv=p=0 "$avi")
    status=ok
    [ "$width" = 640 ] && [ "$height" = 480 ] || status="size ${width}x${height}"
    [ "$pix_fmt" = "${pixel_formats[$format]}" ] || status="pixel format $pix_fmt, not ${pixel_formats[$format]}"
    { [ "$frames" -ge "$low" ] && [ "$frames" -le "$high" ]; } || status="$frames frames, not $low to $high"
    if ! ffmpeg -v error -y -i "$avi" -frames:v 1 "$work/$format.png" </dev/null || [ ! -s "$work/$format.png" ]; then
        status="no frame decoded"
    fi
    if [ "$status" = ok ]; then
        echo "ok   $format: $frames frames of ${width}x${height} $pix_fmt"
    else
        echo "FAIL $format: $status"
        cat "$work/$format.log"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
