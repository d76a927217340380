#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers and the painter (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS (default 20), as many at
# once as there are cores. Usage: scripts/fuzz.sh [SECONDS] [READER...]
#
# The corpora grow in build-fuzz/fuzz/corpus/ from one run to the next, on top of the seeds that
# fuzz_seeds writes with the test writers. An input that makes a reader crash, leak, overrun
# 30 s or 2 GB is kept in build-fuzz/fuzz/crashes/ and fails the script; run it again with
# build-fuzz/tests/fuzz/fuzz_<reader> <input>.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DURATION="${1:-20}"
shift || true
BUILD="$ROOT/build-fuzz"
WORK="$BUILD/fuzz"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKARVELO_FUZZ=ON -DKARVELO_BUILD_TESTS=OFF -DKARVELO_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target fuzz_readers fuzz_seeds

rm -rf "$WORK/seeds" "$WORK/logs"
mkdir -p "$WORK/logs" "$WORK/corpus" "$WORK/crashes"
# The readers work on files: keep them in memory where possible.
if [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
"$BUILD/tests/fuzz/fuzz_seeds" "$WORK/seeds"
readers=("$@")
if [ ${#readers[@]} -eq 0 ]; then
    mapfile -t readers < <(ls "$WORK/seeds")
fi
for reader in "${readers[@]}"; do
    [ -d "$WORK/seeds/$reader" ] || { echo "fuzz: no reader '$reader'" >&2; exit 2; }
    ln -sf fuzz_readers "$BUILD/tests/fuzz/fuzz_$reader"
    mkdir -p "$WORK/corpus/$reader"
done

echo "fuzz: ${#readers[@]} readers, ${DURATION} s each, $(nproc) at once"
# Qt loses fontconfig's fallback font patterns the first time a character needs one.
printf 'leak:libfontconfig.so\n' >"$WORK/lsan.supp"
export BUILD WORK DURATION UBSAN_OPTIONS="print_stacktrace=1" LSAN_OPTIONS="suppressions=$WORK/lsan.supp"
run_reader() {
    local reader="$1"
    "$BUILD/tests/fuzz/fuzz_$reader" "$WORK/corpus/$reader" "$WORK/seeds/$reader" \
        -max_total_time="$DURATION" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$WORK/crashes/$reader-" >"$WORK/logs/$reader.log" 2>&1
    echo $? >"$WORK/logs/$reader.status"
}
export -f run_reader
printf '%s\n' "${readers[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_reader {}'

passed=0
failed=0
printf '%-12s %12s %8s  %s\n' reader inputs corpus result
for reader in "${readers[@]}"; do
    log="$WORK/logs/$reader.log"
    inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(find "$WORK/corpus/$reader" -type f | wc -l)
    if [ "$(cat "$WORK/logs/$reader.status")" = 0 ]; then
        passed=$((passed + 1))
        printf '%-12s %12s %8s  %s\n' "$reader" "${inputs:-?}" "$corpus" ok
    else
        failed=$((failed + 1))
        printf '%-12s %12s %8s  %s\n' "$reader" "${inputs:-?}" "$corpus" "FAILED: $log"
    fi
done
for reader in "${readers[@]}"; do
    if [ "$(cat "$WORK/logs/$reader.status")" != 0 ]; then
        log="$WORK/logs/$reader.log"
        echo "---- $reader"
        sed -n '/^==[0-9]*==ERROR\|runtime error\|ERROR: libFuzzer/,/^SUMMARY/p' "$log" | head -60
        input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
        echo "run again: build-fuzz/tests/fuzz/fuzz_$reader ${input:-<input>}"
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
