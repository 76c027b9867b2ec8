#!/bin/sh
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) if needed and runs
# each for a bounded time on a copy of the seed corpus kept in the build tree,
# so the repository is never written. Prints the executions of each target and
# fails on any crash, leak, timeout or sanitizer report.
#
#   fuzz/run.sh <build dir> <seconds per target> [target ...]
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 <build dir> <seconds per target> [target ...]" >&2
    exit 2
fi
build=$1
seconds=$2
shift 2
case $seconds in
    ''|*[!0-9]*) echo "$0: seconds must be a whole number" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")" && pwd)
all_targets="convert_frame media_types persisted_state sdk_features"
targets=${*:-$all_targets}
for target in $targets; do
    case " $all_targets " in
        *" $target "*) ;;
        *) echo "$0: unknown target $target (known: $all_targets)" >&2; exit 2 ;;
    esac
done

mkdir -p "$build"
build=$(cd "$build" && pwd)
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=${FUZZ_CC:-clang} CXX=${FUZZ_CXX:-clang++} cmake -S "$here" -B "$build" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 || {
        cat "$build/configure.log" >&2
        echo "$0: configuring the fuzz tree failed" >&2
        exit 1
    }
fi
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets >"$build/build.log" 2>&1 || {
    tail -n 40 "$build/build.log" >&2
    echo "$0: building the fuzz targets failed" >&2
    exit 1
}

# Leaks count as failures; UBSan already stops at its first report.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

failed=0
for target in $targets; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$build/logs"
    # The seeds (and every crash input kept as a regression) join the corpus
    # the earlier runs grew.
    cp "$here/corpus/$target"/* "$corpus/" 2>/dev/null
    dictionary=""
    if [ -f "$here/$target.dict" ]; then
        dictionary="-dict=$here/$target.dict"
    fi
    # shellcheck disable=SC2086
    "$build/bin/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" $dictionary "$corpus" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    coverage=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED|NEW|REDUCE|pulse)' "$log" | tail -n 1 |
        sed -n 's/.*\(cov: [0-9]* ft: [0-9]*\).*/\1/p')
    if [ $status -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: ' "$log"; then
        echo "$target: FAILED after ${runs:-?} executions (exit $status); log $log, inputs in $artifacts"
        grep -E 'ERROR:|runtime error:|SUMMARY:|^[a-z_]+: ' "$log" | head -n 5
        failed=1
    else
        echo "$target: ${runs:-0} executions in ${seconds} s (${rate:-0} exec/s), ${coverage:-no coverage line}"
    fi
done
exit $failed
